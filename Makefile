# make demo: install what is missing, build, and export the sample school to educa.xml.
# make test: install what is missing, build, and run every test twice (normal build, then with
#            AddressSanitizer and UndefinedBehaviorSanitizer), then each fuzz target for a minute.
# make bench: build the benchmarks in Release and print the read and the export beside `cat`.
JOBS ?= 2
BUILD ?= build
ASAN_BUILD ?= build-asan
FUZZ_BUILD ?= build-fuzz
BENCH_BUILD ?= build-bench
FUZZ_SECONDS ?= 60
FUZZ_TARGETS ?= table export command_line ini
CMAKE_FLAGS ?=
WERROR ?= ON

.PHONY: all deps build demo test test-normal test-asan test-fuzz bench clean format format-check

all: build

deps:
	./scripts/install-deps.sh

build: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DEDUCA_WERROR=$(WERROR) $(CMAKE_FLAGS)
	cmake --build $(BUILD) -j$(JOBS)

demo: build
	./scripts/demo.sh $(BUILD)

test-normal: build
	ctest --test-dir $(BUILD) --output-on-failure -j$(JOBS)

test-asan: deps
	cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DEDUCA_SANITIZE=ON -DEDUCA_WERROR=$(WERROR) $(CMAKE_FLAGS)
	cmake --build $(ASAN_BUILD) -j$(JOBS)
	ASAN_OPTIONS=halt_on_error=1:detect_leaks=1 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
		ctest --test-dir $(ASAN_BUILD) --output-on-failure -j$(JOBS)

# The fuzz targets, built with clang in their own folder, FUZZ_SECONDS each (scripts/fuzz.sh).
test-fuzz: deps
	@for t in $(FUZZ_TARGETS); do \
		FUZZ_BUILD=$(FUZZ_BUILD) JOBS=$(JOBS) ./scripts/fuzz.sh $$t $(FUZZ_SECONDS) || exit 1; \
	done

test: format-check test-normal test-asan test-fuzz

# Rows/s, MB/s and peak memory of the read and the export, beside `cat` of the same tables.
bench: deps
	JOBS=$(JOBS) ./scripts/bench.sh $(BENCH_BUILD)

SOURCES = find src bench fuzz tests -name '*.cpp' -o -name '*.h'

format:
	$(SOURCES) | xargs clang-format -i

# Every source must match .clang-format; `make format` fixes what this finds.
format-check: deps
	$(SOURCES) | xargs clang-format --dry-run --Werror

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD) $(BENCH_BUILD)
