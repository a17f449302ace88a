# Veska Pro: set up, build, test and run on a Debian machine.
#   make run    install what is missing, build, start the application
#               (without a display: run the demo batch instead)
#   make test   install, build twice (optimised, and with sanitizers), run every test
#   make bench  build and run the speed benchmarks
#   make fuzz   build the libFuzzer targets with clang and run each for 60 s
#   make mutants  plant each fault of tests/mutants.list in a scratch copy
#               under /tmp, run the suite, print the share caught per folder
#               (on two cores about 10 min from nothing: one full build, then
#               some 10 s per fault; later runs rebuild only what changed)

RELEASE := build/release
ASAN    := build/asan
CMAKE_GEN := -G Ninja
JOBS ?= $(shell nproc)

.PHONY: deps build build-asan test run bench demo fuzz mutants clean

deps:
	@scripts/install-deps

build: deps
	@cmake -S . -B $(RELEASE) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
	@cmake --build $(RELEASE) -j $(JOBS)

build-asan: deps
	@cmake -S . -B $(ASAN) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Debug -DVESKA_SANITIZE=ON \
	  -DVESKA_BUILD_BENCH=OFF -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g" >/dev/null
	@cmake --build $(ASAN) -j $(JOBS)

# The sanitizer run comes last so that the output ends with ctest's summary.
test: build build-asan
	@echo "== tests: optimised build"
	@cd $(RELEASE) && ctest -j $(JOBS) --output-on-failure
	@echo "== tests: AddressSanitizer + UndefinedBehaviorSanitizer build"
	@cd $(ASAN) && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
	  ctest -j $(JOBS) --output-on-failure

run: build
	@scripts/run-app $(RELEASE)

bench: build
	@scripts/run-bench $(RELEASE)

demo: build
	@scripts/run-demo $(RELEASE)

fuzz: deps
	@JOBS=$(JOBS) scripts/run-fuzz

mutants: deps
	@JOBS=$(JOBS) scripts/run-mutants

clean:
	rm -rf build
