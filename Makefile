# The two everyday commands:
#   make run    install what is needed, build, and start Parlora
#   make test   install what is needed, build with the ci preset, check formatting, run every test
.PHONY: deps run build test format format-check bench clean

SOURCES = $(shell find src tests bench keyhook \( -name '*.cpp' -o -name '*.h' \) 2>/dev/null)

deps:
	@scripts/install-deps

build: deps
	cmake --preset dev >/dev/null
	cmake --build --preset dev

run: build
	./build/dev/bin/parlora

test: deps format-check
	cmake --preset ci >/dev/null
	cmake --build --preset ci
	scripts/with-test-services ctest --preset ci

format:
	clang-format -i $(SOURCES)

format-check:
	@clang-format --dry-run --Werror $(SOURCES) || \
	    { echo "Sources are not formatted: run 'make format'." >&2; exit 1; }

bench: deps
	cmake --preset ci >/dev/null
	cmake --build --preset ci
	bench/run

clean:
	rm -rf build
