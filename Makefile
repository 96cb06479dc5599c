# The two commands of the README:
#   make run    set up, build and open the bundled sample in the viewer
#   make test   set up, build and pass every test (unit, gl, e2e under Xvfb, fuzz and boxes under sanitizers)

SAMPLE ?= samples/phantom.cub
# -noreset: the server stays up between tests; one that resets when its last
# client leaves can refuse the next test's first connection meanwhile.
XVFB := xvfb-run -a -s "-screen 0 1280x1024x24 -noreset"

# ctest runs this many tests at once; the tests that use the X display take
# it in turns (a resource lock), the rest share the two cores.
JOBS ?= 4

.PHONY: run test deps build build-asan bench fuzz clean format-check

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

# The default build is the optimised one distributions make (-O3), so its
# warnings-as-errors compile is also the check that such a build stays clean.
# Each configuration runs under its own X server, the sanitizer one with
# short fuzz runs (make fuzz runs them for minutes) and the box marathon.
test: format-check build build-asan
	$(XVFB) ctest --preset default -j$(JOBS) -L 'unit|gl|tools|install|e2e|soak'
	$(XVFB) ctest --preset asan -j$(JOBS) -L 'unit|gl|tools|fuzz|boxes' -LE large

# Every reader fuzzed side by side for FUZZ_SECONDS each, from the committed
# seeds and what earlier runs found.
FUZZ_SECONDS ?= 600
fuzz: build-asan
	QARMEL_FUZZ_SECONDS=$(FUZZ_SECONDS) ctest --preset asan -j$$(nproc) -L fuzz --timeout $$(( $(FUZZ_SECONDS) + 600 ))

bench: deps
	cmake --preset release
	cmake --build --preset release --target bench bench_window bench_first_frame
	./build/release/bench/bench
	$(XVFB) ./build/release/bench/bench_window
	./build/release/bench/bench_first_frame  # a minute or more: it makes and renders volumes up to 1024^3

clean:
	rm -rf build
