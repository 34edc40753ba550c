#pragma once

class QString;

// The decoder process of this build: a test executable has no decoder beside it.
QString builtDecoder();

// The stand-in decoders built beside the tests: each misbehaves in one way.
QString standIn(const char *name);
