# Porvane: the two commands of the README, and the rest.
#   make run    installs what is missing, builds the Linux program, starts it with the sample
#               settings (on a machine without a display: xvfb-run make run)
#   make test   installs what is missing, builds both programs (Windows in 32 and 64 bits), runs
#               every test: the Windows suites that Wine runs on this machine, saying which
#   make fuzz   runs each fuzz target for FUZZ_SECONDS (default 60); FUZZ_SEEDS=own seeds them
#               with the project's own fixtures only, without the shared corpus
#   make bench  builds and runs the benchmarks
#   make package  builds the .deb, and the Windows installer (.msi) and zip of each architecture
#   make package-check  lintian, then INSTALLS AND REMOVES the .deb on this machine and each .msi
#               that Wine runs here in a temporary Wine prefix
#   PORVANE_WINDOWS_SUITES="x64" (or "x86 x64") forces which Windows architectures are run

FUZZ_SECONDS ?= 60
FUZZ_SEEDS ?= all
JOBS ?= $(shell nproc)
XVFB := xvfb-run -a -s "-screen 0 1280x1024x24"

.PHONY: deps linux windows run test test-linux test-windows fuzz bench package package-check asan clean

deps:
	@tools/install-deps

linux: deps
	cmake --preset linux
	cmake --build --preset linux -j $(JOBS)

# Both architectures are always built, so that a compile error in either shows everywhere.
windows: deps
	cmake --preset windows
	cmake --build --preset windows -j $(JOBS)
	cmake --preset windows-x64
	cmake --build --preset windows-x64 -j $(JOBS)

run: linux
	cd build/linux && ./porvane

test: test-linux test-windows

test-linux: linux
	$(XVFB) ctest --preset linux -j 2

test-windows: windows
	$(XVFB) tools/test-windows

asan: deps
	cmake --preset asan
	cmake --build --preset asan -j $(JOBS)
	$(XVFB) ctest --preset asan -j 2

fuzz: deps
	cmake --preset fuzz
	cmake --build --preset fuzz -j $(JOBS)
	tools/run-fuzzers build/fuzz $(FUZZ_SECONDS) $(FUZZ_SEEDS)

bench: linux
	tools/run-benchmarks build/linux

package: linux windows
	cd build/linux && cpack -G DEB
	cmake --build --preset windows --target package-zip package-msi
	cmake --build --preset windows-x64 --target package-zip package-msi

package-check: package
	tools/check-packages build

clean:
	rm -rf build
