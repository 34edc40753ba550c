# The whole set-up: `make run` starts the program, `make test` runs every test.
# Both install the missing Debian packages first.
JOBS ?= $(shell nproc)
TEST_PRESET ?= ci
PRESET ?= default

.PHONY: run test build deps bench package clean

run:
	@if [ -z "$$DISPLAY" ] && [ -z "$$WAYLAND_DISPLAY" ]; then \
		echo "typorama needs a graphical session: neither DISPLAY nor WAYLAND_DISPLAY is set." >&2; exit 1; fi
	@$(MAKE) --no-print-directory build PRESET=default
	./build/default/src/typorama

test:
	@$(MAKE) --no-print-directory build PRESET=$(TEST_PRESET)
	ctest --preset $(TEST_PRESET) -j $(JOBS)

deps:
	@bash scripts/install-deps.sh

build: deps
	cmake --preset $(PRESET) >/dev/null
	cmake --build --preset $(PRESET) -j $(JOBS)

# The Debian package, build/default/typorama_<version>_<arch>.deb, from the install rules;
# its library dependencies are worked out by dpkg-shlibdeps.
package: deps
	cmake --preset default -DCMAKE_INSTALL_PREFIX=/usr >/dev/null
	cmake --build --preset default -j $(JOBS) --target typorama
	cd build/default && cpack -G DEB

clean:
	rm -rf build
