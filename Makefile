# The whole set-up: `make run` starts the program, `make test` runs every test.
# Both install the missing Debian packages first.
JOBS ?= $(shell nproc)
TEST_PRESET ?= ci
PRESET ?= default

FUZZ_SECONDS ?= 60

# The program is built as Debian builds its packages: with the flags dpkg-buildflags gives for
# every hardening feature (stack protector, _FORTIFY_SOURCE, format checks, read-only
# relocations, immediate binding; Debian's compiler makes position-independent executables by
# default), plus whatever the caller passes. The presets add their warnings to these and never
# replace them. The sanitizer and fuzz builds take none of them.
# Expanded when a recipe runs, after deps has installed dpkg-buildflags.
caller_cxxflags := $(CXXFLAGS)
caller_cflags := $(CFLAGS)
caller_ldflags := $(LDFLAGS)
buildflags = $(shell DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get $(1))
build package: export CXXFLAGS = $(call buildflags,CPPFLAGS) $(call buildflags,CXXFLAGS) $(caller_cxxflags)
build package: export CFLAGS = $(call buildflags,CPPFLAGS) $(call buildflags,CFLAGS) $(caller_cflags)
build package: export LDFLAGS = $(call buildflags,LDFLAGS) $(caller_ldflags)

.PHONY: run test ci-extra format-check fixtures-check sanitize fuzz build deps bench package clean

run:
	@if [ -z "$$DISPLAY" ] && [ -z "$$WAYLAND_DISPLAY" ]; then \
		echo "typorama needs a graphical session: neither DISPLAY nor WAYLAND_DISPLAY is set." >&2; exit 1; fi
	@$(MAKE) --no-print-directory build PRESET=default
	./build/default/src/typorama

test:
	@$(MAKE) --no-print-directory build PRESET=$(TEST_PRESET)
	ctest --preset $(TEST_PRESET) -j $(JOBS)

# The slower suites that CI runs after the unit tests (.ci/run asks for them by name).
ci-extra: format-check fixtures-check sanitize fuzz

# Every C++ file as the repository's .clang-format lays it out, by Debian 12's clang-format.
format-check:
	@bash scripts/install-deps.sh format
	git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run --Werror

# The committed EMF and WMF fixtures are what tests/tools/metafile_writer makes of their
# descriptions (tests/data/README).
fixtures-check:
	cmake --preset $(TEST_PRESET) >/dev/null
	cmake --build --preset $(TEST_PRESET) --target check_metafile_fixtures

# The whole test suite once more, built under the address and undefined-behaviour sanitizers;
# the first finding fails its test. Leaks are reported too, except those inside the third-party
# libraries named in the suppression file.
# intercept_tls_get_addr=0: GCC 12's runtime takes a dynamic TLS block that happens to start 16
# bytes into a page for glibc 2.19's layout and reads a start and length from the two words
# before it; the leak check then scans that made-up range and the sanitizer's own tracer dies
# ("Tracer caught signal 11") after the test has passed. Without the interceptor the leak check
# still scans every thread's stack and static TLS; only blocks of dlopen()ed libraries' TLS are
# left out as roots.
SANITIZER_ENV = ASAN_OPTIONS=halt_on_error=1:abort_on_error=1:detect_leaks=1:detect_stack_use_after_return=1:intercept_tls_get_addr=0 \
	UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
	LSAN_OPTIONS=suppressions=$(CURDIR)/.ci/lsan.supp:print_suppressions=0
sanitize: deps
	cmake --preset sanitize >/dev/null
	cmake --build --preset sanitize -j $(JOBS)
	$(SANITIZER_ENV) ctest --preset sanitize -j $(JOBS)

# Every fuzz target for FUZZ_SECONDS seconds over the seeds the tests' generators make, built
# with clang under the address and undefined-behaviour sanitizers; one target a core at a time.
fuzz:
	@bash scripts/install-deps.sh fuzz
	cmake --preset fuzz -DTYPORAMA_FUZZ_SECONDS=$(FUZZ_SECONDS) >/dev/null
	cmake --build --preset fuzz -j $(JOBS)
	ctest --preset fuzz -j $(JOBS)

# Start-up, memory and canvas figures beside their floors, printed as one table
# (docs/performance.md). Starts its own X server; a slow machine never fails it.
bench:
	@bash scripts/install-deps.sh bench
	cmake -S . -B build/bench -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTYPORAMA_BENCHMARKS=ON \
		-DBUILD_TESTING=OFF >/dev/null
	cmake --build build/bench -j $(JOBS) --target typorama bench_canvas bench_font_list startup_probe startup_floor
	/usr/bin/python3 bench/run_bench.py build/bench

deps:
	@bash scripts/install-deps.sh

build: deps
	cmake --preset $(PRESET) >/dev/null
	cmake --build --preset $(PRESET) -j $(JOBS)

# The Debian package, build/default/typorama_<version>_<arch>.deb, from the install rules;
# its library dependencies are worked out by dpkg-shlibdeps.
package: deps
	cmake --preset default --fresh -DCMAKE_INSTALL_PREFIX=/usr >/dev/null
	cmake --build --preset default -j $(JOBS) --target typorama typorama-decode
	cd build/default && cpack -G DEB

clean:
	rm -rf build
