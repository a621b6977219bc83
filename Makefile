# Front door. `make demo` shows the plugin at work; `make test` runs every
# test: the Linux suites (built with AddressSanitizer and UBSan), the MinGW
# build of the real DLL with its table checks, the DLL under Wine, and the
# line-coverage floor of src/. `make bench` prints the benchmark figures
# against their targets.
SHELL := /bin/bash
JOBS ?= $(shell nproc)
CMAKE_QUIET := -Wno-dev --log-level=WARNING

RELEASE := build/release
TESTS := build/tests
MINGW := build/mingw
FUZZ := build/fuzz
BENCH := build/bench
COVERAGE := build/coverage
PACKAGE := build/package

.PHONY: all setup demo test bench windows package fuzz coverage format clean

all: $(RELEASE)/.built

setup:
	@bash tools/setup.sh

$(RELEASE)/.built: setup FORCE
	@cmake -S . -B $(RELEASE) -DCMAKE_BUILD_TYPE=Release $(CMAKE_QUIET) >/dev/null
	@cmake --build $(RELEASE) -j$(JOBS) >/dev/null
	@touch $@

windows: setup
	@cmake -S . -B $(MINGW) -DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/cmake/mingw-w64-x86_64.cmake \
	    -DCMAKE_BUILD_TYPE=Release $(CMAKE_QUIET) >/dev/null
	@cmake --build $(MINGW) -j$(JOBS) >/dev/null

# The release ZIP, made by CPack in the MinGW tree and placed in $(PACKAGE).
package: windows
	@rm -rf $(PACKAGE) && mkdir -p $(PACKAGE)
	@cd $(MINGW) && cpack -G ZIP -B $(CURDIR)/$(PACKAGE) >/dev/null
	@rm -rf $(PACKAGE)/_CPack_Packages
	@ls $(PACKAGE)/*.zip

demo: $(RELEASE)/.built
	@bash tools/demo.sh $(RELEASE)/bin

fuzz: setup
	@CC=clang CXX=clang++ cmake -S . -B $(FUZZ) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVIVANTA_FUZZ=ON $(CMAKE_QUIET) >/dev/null
	@cmake --build $(FUZZ) -j$(JOBS) >/dev/null

# Line coverage of src/ under the Linux suites, in its own instrumented tree;
# fails below the floor.
coverage: setup
	@bash tools/coverage.sh $(COVERAGE) $(JOBS) 90

test: setup windows package fuzz coverage
	@cmake -S . -B $(TESTS) -DCMAKE_BUILD_TYPE=Debug -DVIVANTA_SANITIZE=ON \
	    -DVIVANTA_MINGW_DIR=$(CURDIR)/$(MINGW) -DVIVANTA_FUZZ_DIR=$(CURDIR)/$(FUZZ) $(CMAKE_QUIET) >/dev/null
	@cmake --build $(TESTS) -j$(JOBS) >/dev/null
	@cd $(TESTS) && ctest -j$(JOBS) --output-on-failure

bench: setup
	@cmake -S . -B $(BENCH) -DCMAKE_BUILD_TYPE=Release -DVIVANTA_BENCH=ON $(CMAKE_QUIET) >/dev/null
	@cmake --build $(BENCH) -j$(JOBS) >/dev/null
	@bash tools/run_benchmarks.sh $(BENCH)/bench

# Formats the C++ sources with the root .clang-format; make test checks it.
format: setup
	@bash tools/format.sh

clean:
	rm -rf build

FORCE:
