# The two commands of the README:
#   make run    set up, build and open the bundled sample in the viewer
#   make test   set up, build and pass every test (unit, gl, e2e under Xvfb, fuzz and boxes under sanitizers)

SAMPLE ?= samples/phantom.cub
XVFB := xvfb-run -a -s "-screen 0 1280x1024x24"

.PHONY: run test deps build build-asan bench clean format-check

deps:
	scripts/install-deps

build: deps
	cmake --preset default
	cmake --build --preset default

build-asan: deps
	cmake --preset asan
	cmake --build --preset asan

# Without a display there is no window: the sample is rendered to a PNG instead.
run: build
	@if [ -n "$$DISPLAY$$WAYLAND_DISPLAY" ]; then \
	  ./build/default/qarmel $(SAMPLE); \
	else \
	  ./build/default/qarmel-shot $(SAMPLE) -o build/sample.png > /dev/null && \
	  echo "No display: rendered $(SAMPLE) to $(CURDIR)/build/sample.png"; \
	fi

# Every C++ file as .clang-format lays it out (clang-format -i FILE fixes one).
format-check: deps
	find src tests tools bench fuzz -name '*.cpp' -o -name '*.h' | xargs clang-format --dry-run --Werror

test: format-check build build-asan
	ctest --preset default -L 'unit|gl|install'
	$(XVFB) ctest --preset default -L e2e
	$(XVFB) ctest --preset default -L soak  # a minute of it; QARMEL_SOAK_SECONDS for longer
	ctest --preset asan -L 'unit|gl|fuzz' -LE large
	$(XVFB) ctest --preset asan -L boxes
	# A plain Release build, as distributions make it, must stay free of warnings at -O3.
	cmake -S . -B build/plain-release -DCMAKE_BUILD_TYPE=Release -DQARMEL_WERROR=ON > /dev/null
	cmake --build build/plain-release --target e2e_tests --parallel $$(nproc)

bench: deps
	cmake --preset release
	cmake --build --preset release --target bench bench_window bench_first_frame
	./build/release/bench/bench
	$(XVFB) ./build/release/bench/bench_window
	./build/release/bench/bench_first_frame  # a minute or more: it makes and renders volumes up to 1024^3

clean:
	rm -rf build
