# make demo: install what the export needs, build educa-export, and export the sample school to educa.xml.
# make build: install what is missing and build the Linux build: the core, educa-export, the help file
#            and the tests (the desktop program is the Windows one: make windows).
# make test: install what is missing, build, and run every test twice (normal build, then with
#            AddressSanitizer and UndefinedBehaviorSanitizer), then the Windows build's tests under
#            Wine and a check of the Windows package, then each fuzz target over its committed inputs
#            (seeds and earlier findings, each once: the same answer on every run).
# make fuzz: each fuzz target exploring for FUZZ_SECONDS (600), with the committed inputs as seeds;
#            a finding is mended and its input kept in fuzz/regressions/TARGET.
# make windows: build the core, TransSelvarEDUCA.exe (the desktop program on the Win32 API),
#            educa-export.exe, their tests and EDUCA.chm for 32-bit Windows (mingw-w64, i686) into
#            build-win/bin.
# make package: the Linux packages (.tar.gz, .deb) in build/packages, the Windows zip in build-win/packages.
# make check-reproducible: build the packages twice, in two folders, and compare them byte for byte.
# make bench: build the benchmarks in Release and print the read and the export beside `cat`.
JOBS ?= 2
BUILD ?= build
ASAN_BUILD ?= build-asan
WIN_BUILD ?= build-win
FUZZ_BUILD ?= build-fuzz
BENCH_BUILD ?= build-bench
FUZZ_SECONDS ?= 600
FUZZ_TARGETS ?= table export command_line ini
CMAKE_FLAGS ?=
WIN_CMAKE_FLAGS ?=
WERROR ?= ON
# The time of the commit for every time stamp of a build (help file, archives), so that two builds of
# the same commit give the same packages.
SOURCE_DATE_EPOCH ?= $(shell git log -1 --format=%ct 2>/dev/null)
ifneq ($(SOURCE_DATE_EPOCH),)
export SOURCE_DATE_EPOCH
endif

.PHONY: all deps deps-build deps-demo deps-windows build demo check-reproducible test test-normal test-asan test-windows test-fuzz fuzz windows package package-windows bench \
	clean format format-check check-layers

all: build

deps:
	./scripts/install-deps.sh test

deps-build:
	./scripts/install-deps.sh build

deps-demo:
	./scripts/install-deps.sh demo

deps-windows:
	./scripts/install-deps.sh windows

CONFIGURE = cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DEDUCA_WERROR=$(WERROR)

build: deps-build
	$(CONFIGURE) -DEDUCA_BUILD_TESTS=ON $(CMAKE_FLAGS)
	cmake --build $(BUILD) -j$(JOBS)

# The demo needs the command-line tool alone: no help file, no tests. A later make build in the same
# folder turns them on again.
demo: deps-demo
	$(CONFIGURE) -DEDUCA_BUILD_TESTS=OFF $(CMAKE_FLAGS)
	cmake --build $(BUILD) -j$(JOBS) --target educa-export
	./scripts/demo.sh $(BUILD)

test-normal: deps build
	ctest --test-dir $(BUILD) --output-on-failure -j$(JOBS)

test-asan: deps
	cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DEDUCA_SANITIZE=ON -DEDUCA_WERROR=$(WERROR) $(CMAKE_FLAGS)
	cmake --build $(ASAN_BUILD) -j$(JOBS)
	ASAN_OPTIONS=halt_on_error=1:detect_leaks=1 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
		ctest --test-dir $(ASAN_BUILD) --output-on-failure -j$(JOBS)

# Windows: the core, TransSelvarEDUCA.exe and educa-export.exe with mingw-w64, tests under Wine (a prefix
# in $(WIN_BUILD)/wine; the desktop program's, which open windows, in $(WIN_BUILD)/wine-gui under Xvfb).
# The same-document tests compare the Windows programs' documents with the Linux build's educa-export.
# A folder configured for another processor (the 64-bit build of earlier versions) is made anew.
windows: deps-windows
	@if [ -f $(WIN_BUILD)/CMakeCache.txt ] && ! grep -q '^CMAKE_TOOLCHAIN_FILE:.*mingw-w64-i686\.cmake$$' $(WIN_BUILD)/CMakeCache.txt; then \
		echo "$(WIN_BUILD) was configured for another compiler: made anew"; rm -rf $(WIN_BUILD); fi
	cmake -S . -B $(WIN_BUILD) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-i686.cmake -DCMAKE_BUILD_TYPE=Release \
		-DEDUCA_BUILD_GUI=ON -DEDUCA_WERROR=$(WERROR) -DEDUCA_LINUX_EXPORT=$(abspath $(BUILD))/bin/educa-export \
		$(WIN_CMAKE_FLAGS)
	cmake --build $(WIN_BUILD) -j$(JOBS)

test-windows: deps build windows
	ctest --test-dir $(WIN_BUILD) --output-on-failure -j$(JOBS); status=$$?; \
		WINEPREFIX=$(abspath $(WIN_BUILD))/wine wineserver -k 2>/dev/null; exit $$status
	$(MAKE) package-windows

package-windows: windows
	cd $(WIN_BUILD) && cpack -G ZIP
	./scripts/check-windows-package.sh $(WIN_BUILD)/packages/TransSelvarEDUCA-*-win32.zip

package: build package-windows
	cd $(BUILD) && cpack

# Builds the packages twice, in two folders of a temporary directory (without the tests), and compares
# them byte for byte.
check-reproducible:
	./scripts/check-reproducible.sh

# The fuzz targets, built with clang in their own folder (scripts/fuzz.sh): in make test each runs
# its committed inputs once; make fuzz explores for FUZZ_SECONDS each.
test-fuzz: deps
	@for t in $(FUZZ_TARGETS); do \
		FUZZ_BUILD=$(FUZZ_BUILD) JOBS=$(JOBS) ./scripts/fuzz.sh $$t replay || exit 1; \
	done

fuzz: deps
	@for t in $(FUZZ_TARGETS); do \
		FUZZ_BUILD=$(FUZZ_BUILD) JOBS=$(JOBS) ./scripts/fuzz.sh $$t $(FUZZ_SECONDS) || exit 1; \
	done

test: format-check check-layers test-normal test-asan test-windows test-fuzz

# Rows/s, MB/s and peak memory of the read and the export, beside `cat` of the same tables.
bench: deps-build
	JOBS=$(JOBS) ./scripts/bench.sh $(BENCH_BUILD)

SOURCES = find src bench fuzz tests -name '*.cpp' -o -name '*.h'

format:
	$(SOURCES) | xargs clang-format -i

# No source includes a header of a layer that its library may not use (the table in
# docs/architecture.md).
check-layers:
	/usr/bin/python3 scripts/check-layers.py

# Every source must match .clang-format; `make format` fixes what this finds.
format-check: deps
	$(SOURCES) | xargs clang-format --dry-run --Werror

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(WIN_BUILD) $(FUZZ_BUILD) $(BENCH_BUILD)
