# The two commands of a fresh checkout: `make run` and `make test`.
BUILD ?= build
JOBS  ?= $(shell nproc)

.PHONY: run test build deps bench fuzz asan tsan clean

run: build
	tools/prepare-workdir.sh run
	cd run && ../$(BUILD)/app/korvane10

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

build: deps
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(BUILD) -j $(JOBS)

deps:
	tools/install-deps.sh

# The test suite again under AddressSanitizer and UndefinedBehaviorSanitizer.
asan: deps
	cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DK10_SANITIZE=ON
	cmake --build build-asan -j $(JOBS)
	cd build-asan && ctest --output-on-failure -j $(JOBS)

# The tests of the calculation, the document and the results windows (the code that runs on several
# threads) again under ThreadSanitizer. Qt itself is not instrumented: tools/tsan.supp names the few
# reports from inside it.
TSAN_TESTS = ^(test_calculation|test_project_document|test_results)$$
tsan: deps
	cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DK10_TSAN=ON
	cmake --build build-tsan -j $(JOBS) --target test_calculation test_project_document test_results
	cd build-tsan && TSAN_OPTIONS="suppressions=$(CURDIR)/tools/tsan.supp halt_on_error=1 second_deadlock_stack=1 die_after_fork=0" \
		ctest --output-on-failure -j $(JOBS) -R '$(TSAN_TESTS)'

bench: deps
	cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release
	cmake --build build-release -j $(JOBS) --target k10bench
	build-release/bench/k10bench

fuzz:
	tools/install-deps.sh --fuzz
	CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DK10_FUZZ=ON -DK10_GUI=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build build-fuzz -j $(JOBS)

clean:
	rm -rf $(BUILD) build-asan build-tsan build-release build-fuzz
