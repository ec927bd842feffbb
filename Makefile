# Two commands do all the set-up: `make run` builds and starts the game on the bundled
# sample game, `make test` builds everything and runs every test.
.PHONY: all run test build build-asan bench fuzz fuzz-run format deps deps-test clean

JOBS ?= $(shell nproc)
# Seconds that `make fuzz-run` gives each fuzz target.
FUZZ_SECONDS ?= 300

all: build

deps:
	@tools/install-deps.sh

deps-test:
	@tools/install-deps.sh --test

build: deps
	@cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
	@cmake --build build --target tarnwick -j $(JOBS)

run: build
	cd game && ../build/tarnwick

build-asan: deps-test
	@cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTARNWICK_SANITIZE=ON -DTARNWICK_TESTS=ON >/dev/null
	@cmake --build build-asan -j $(JOBS)

test: build build-asan
	@tools/with-display.sh ctest --test-dir build-asan --output-on-failure

bench: deps-test
	@cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DTARNWICK_TESTS=ON >/dev/null
	@cmake --build build -j $(JOBS)
	@tools/with-display.sh tools/run-benchmarks.sh build

# The fuzz targets as libFuzzer programs under ASan and UBSan; fuzz-run runs each of them and
# keeps what they find (fuzz/run.sh says how).
fuzz: deps-test
	@cmake -S . -B build-fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
		-DTARNWICK_SANITIZE=ON -DTARNWICK_FUZZ=ON >/dev/null
	@cmake --build build-fuzz -j $(JOBS)

fuzz-run: fuzz
	@FUZZ_SECONDS=$(FUZZ_SECONDS) fuzz/run.sh build-fuzz

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf build build-asan build-fuzz
