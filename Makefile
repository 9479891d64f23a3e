# Two commands do everything:
#   make run   - install what is missing, build, start Keymora on the example file
#   make test  - install what is missing, build, run every test (also under ASan/UBSan) and a short fuzz run
#   make bench - Release build of the benchmarks, then print their figures
#   make fuzz  - run each fuzz target for 2.5 million inputs (over 10 million in all)
#   make torture - kill writers of a data file 200 times at random moments
.PHONY: run test build bench fuzz torture clean

run:
	./scripts/run.sh

test:
	./scripts/test.sh

build:
	./scripts/install-deps.sh
	cmake -S . -B build -G Ninja
	cmake --build build

bench:
	./scripts/bench.sh

fuzz:
	./scripts/install-deps.sh
	./scripts/fuzz.sh --runs 2500000

torture:
	./scripts/install-deps.sh
	cmake -S . -B build -G Ninja
	cmake --build build --target keymora-cli keymora_save_driver
	tests/stress/torture.sh build/src/cli/keymora-cli build/tests/app/keymora_save_driver 200

clean:
	rm -rf build build-asan build-fuzz build-release
