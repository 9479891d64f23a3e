# Two commands do everything:
#   make run   - install what is missing, build, start Keymora on the example file
#   make test  - install what is missing, build, run every test (also under ASan/UBSan) and a short fuzz run
.PHONY: run test build bench fuzz clean

run:
	./scripts/run.sh

test:
	./scripts/test.sh

build:
	./scripts/install-deps.sh
	cmake -S . -B build -G Ninja
	cmake --build build

bench: build
	./scripts/bench.sh

fuzz:
	./scripts/fuzz.sh 300

clean:
	rm -rf build build-asan build-fuzz
