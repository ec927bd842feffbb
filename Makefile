# Two commands do all the set-up: `make run` builds and starts the game on the bundled
# sample game, `make test` builds everything and runs every test.
.PHONY: all run test build build-asan bench fuzz fuzz-run format format-check deps deps-test clean
.PHONY: install uninstall package soak

JOBS ?= $(shell nproc)
PREFIX ?= /usr/local
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
	@python3 bench/report.py build

# The --watch soak: 1,000 saves of random mutations of the sample game's files against the
# running release program, with its memory, descriptors and verdict (bench/watch.py says how).
soak: build
	@nice python3 bench/watch.py soak build/tarnwick

# The fuzz targets as libFuzzer programs under ASan and UBSan; fuzz-run runs each of them and
# keeps what they find (fuzz/run.sh says how).
fuzz: deps-test
	@cmake -S . -B build-fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
		-DTARNWICK_SANITIZE=ON -DTARNWICK_FUZZ=ON >/dev/null
	@cmake --build build-fuzz -j $(JOBS)

fuzz-run: fuzz
	@FUZZ_SECONDS=$(FUZZ_SECONDS) fuzz/run.sh build-fuzz

# Installing puts the program, its sample game, menu entry, icons and manual page under
# PREFIX; uninstalling removes exactly what the last install put there.
install: build
	@cmake --install build --prefix $(PREFIX)

uninstall:
	@cmake --build build --target uninstall

# The Debian package, in build-package/package/: a build of its own with Debian's build flags
# (all hardening, immediate binding included), the program in /usr/games and its data in
# /usr/share.
package: export DEB_BUILD_MAINT_OPTIONS = hardening=+all
package: deps
	@CXXFLAGS="$$(dpkg-buildflags --get CPPFLAGS) $$(dpkg-buildflags --get CXXFLAGS)" \
	  LDFLAGS="$$(dpkg-buildflags --get LDFLAGS)" \
	  cmake -S . -B build-package -G Ninja -DCMAKE_BUILD_TYPE=None -DCMAKE_INSTALL_PREFIX=/usr \
	  -DCMAKE_INSTALL_BINDIR=games -DTARNWICK_PACKAGE=ON >/dev/null
	@cmake --build build-package --target package -j $(JOBS)

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

# Fails, naming each place, when any source file is not laid out as `make format` would.
format-check: deps-test
	@git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run --Werror

clean:
	rm -rf build build-asan build-fuzz build-package
