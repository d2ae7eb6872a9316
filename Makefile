# The two commands: `make run` and `make test`. Each installs what is missing,
# configures and builds first: `make run` only what the program needs,
# without the tests and benchmarks; `make test` everything.
BUILD      ?= build
ASAN_BUILD ?= build-asan
JOBS       ?= $(shell nproc)
CMAKE_ARGS ?=
FUZZ_SECONDS ?= 600

.PHONY: run test deps deps-run configure build test-asan golden bench books package fuzz clean

run: deps-run
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSUMGRID_TESTS=OFF -DSUMGRID_BENCH=OFF $(CMAKE_ARGS)
	cmake --build $(BUILD) -j$(JOBS)
	./$(BUILD)/sumgrid

test: build
	cd $(BUILD) && ctest --output-on-failure -j$(JOBS)

deps:
	@sh scripts/install-deps.sh

deps-run:
	@sh scripts/install-deps.sh run

configure: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSUMGRID_TESTS=ON -DSUMGRID_BENCH=ON $(CMAKE_ARGS)

build: configure
	cmake --build $(BUILD) -j$(JOBS)

# The whole suite under AddressSanitizer and UBSan.
test-asan: deps
	cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DSUMGRID_SANITIZE=ON -DSUMGRID_BENCH=OFF
	cmake --build $(ASAN_BUILD) -j$(JOBS)
	cd $(ASAN_BUILD) && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp \
	  ctest --output-on-failure -j$(JOBS)

# Rewrites the reference pictures under tests/golden/ from today's drawing,
# on purpose: look at what changed (git diff --stat tests/golden) before committing.
golden: build
	cd $(BUILD) && SUMGRID_UPDATE_GOLDEN=1 ctest -L golden --output-on-failure

# The benchmarks, in a release build of their own.
bench: deps
	cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DSUMGRID_TESTS=OFF
	cmake --build build-bench -j$(JOBS)
	@for b in build-bench/bench/*_bench build-bench/bench/*/*_bench; do \
	  [ -x "$$b" ] && QT_QPA_PLATFORM=offscreen "$$b" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true; \
	done; true

# Regenerates the bundled puzzle books from their recorded seeds.
books: build
	sh scripts/make-books.sh $(BUILD)/tools/sumgrid-book

# The Debian package (debian/), built by dpkg-buildpackage from a copy of the
# tree: sumgrid_*.deb and its -dbgsym package land in dist/.
package: deps
	sh scripts/build-deb.sh dist

# The fuzzers, built with clang in build-fuzz/, for FUZZ_SECONDS each.
fuzz: deps
	sh tests/fuzz/run-fuzz.sh $(FUZZ_SECONDS)

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) build-bench build-fuzz dist
