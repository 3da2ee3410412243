SHELL := /bin/bash
# The two everyday commands:
#   make run    install what is needed, build, and start Parlora
#   make test   install what is needed, build with the ci preset, check formatting, run every test
.PHONY: deps run build test format format-check bench fuzz package clean

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

# The Debian package, built from debian/: build/parlora_<version>_<arch>.deb
# (packaging/package_test.sh also checks, installs and removes it).
package: deps
	packaging/build_package.sh

bench: deps
	cmake --preset ci >/dev/null
	cmake --build --preset ci
	bench/run

# Each fuzzer runs for FUZZ_SECONDS, from its seed corpus and what earlier runs found.
FUZZ_SECONDS ?= 120
FUZZERS = text_decoder rtf_reader profile_file language_file recent_list key_stream \
    helper_stream document_readers pronunciation chinese_reading

fuzz:
	@scripts/install-deps fuzz
	cmake --preset fuzz >/dev/null
	cmake --build --preset fuzz --target $(addprefix fuzz_,$(FUZZERS))
	@for t in $(FUZZERS); do \
	    mkdir -p build/fuzz/corpus/$$t; \
	    QT_QPA_PLATFORM=offscreen build/fuzz/bin/fuzz_$$t -max_total_time=$(FUZZ_SECONDS) \
	        -rss_limit_mb=2048 -timeout=10 -print_final_stats=1 \
	        build/fuzz/corpus/$$t tests/fuzz/corpus/$$t 2>&1 | grep -E 'stat::number_of_executed_units|ERROR|SUMMARY|crash-|timeout-|leak-' ; \
	    [ $${PIPESTATUS[0]} -eq 0 ] || exit 1; \
	done

clean:
	rm -rf build
