# Convenience front end to CMake. `make run` builds and starts the program;
# `make test` builds the sanitizer configuration and runs every test.

JOBS ?= $(shell nproc)
BUILD_DIR ?= build
TEST_DIR ?= build-test
FUZZ_DIR ?= build-fuzz

.PHONY: all deps build run test bench fuzz format clean

all: build

deps:
	sh scripts/install-deps

build: deps
	cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKUMOITO_BUILD_TESTS=OFF -DKUMOITO_BUILD_BENCH=OFF
	cmake --build $(BUILD_DIR) -j $(JOBS)

run: build
	cd $(BUILD_DIR) && ./kumoito

test: deps
	cmake -S . -B $(TEST_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKUMOITO_SANITIZE=ON -DKUMOITO_BUILD_BENCH=OFF
	cmake --build $(TEST_DIR) -j $(JOBS)
	cd $(TEST_DIR) && ctest --output-on-failure -j $(JOBS)

bench: deps
	cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKUMOITO_BUILD_TESTS=OFF -DKUMOITO_BUILD_BENCH=ON
	cmake --build $(BUILD_DIR) -j $(JOBS)
	for b in $(BUILD_DIR)/bench/*_bench; do $$b; done

fuzz: deps
	CXX=clang++ CC=clang cmake -S . -B $(FUZZ_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKUMOITO_BUILD_FUZZ=ON -DKUMOITO_BUILD_TESTS=OFF -DKUMOITO_BUILD_BENCH=OFF
	cmake --build $(FUZZ_DIR) -j $(JOBS) --target kumoito_fuzz_targets

format:
	find common song render midi input library app tests bench fuzz -name '*.h' -o -name '*.cpp' | xargs clang-format -i

clean:
	rm -rf $(BUILD_DIR) $(TEST_DIR) $(FUZZ_DIR)
