# Quel: the two set-up commands are `make run` and `make test`.
BUILD      ?= build
JOBS       ?= $(shell nproc 2>/dev/null || echo 2)
CMAKE_GEN  := -G Ninja
QUEL_HOME  ?= $(HOME)/Quel
FUZZ_SECONDS ?= 20

.PHONY: all bootstrap build test run bench bench-large sanitize fuzz screenshot clean

all: build

bootstrap:
	@scripts/bootstrap

$(BUILD)/build.ninja:
	cmake -S . -B $(BUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo

build: bootstrap $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS)

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

run: build
	@scripts/run-sample $(BUILD)

bench: bootstrap
	cmake -S . -B $(BUILD)-bench $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Release -DQUEL_BENCH=ON -DQUEL_TESTS=OFF
	cmake --build $(BUILD)-bench -j $(JOBS)
	@for b in $(BUILD)-bench/bench/bench_*; do [ -f "$$b" ] && [ -x "$$b" ] || continue; echo "== $$b"; $$b || exit 1; done

# quel-cli on generated regions of 10^7 and 10^8 cells (QUEL_BENCH_SIZES);
# needs about 20 GB of disk and, for 10^8 cells, much memory.
bench-large: bootstrap
	cmake -S . -B $(BUILD)-bench $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Release -DQUEL_BENCH=ON -DQUEL_TESTS=OFF
	cmake --build $(BUILD)-bench -j $(JOBS) --target quel-cli quel-genera-region
	scripts/bench-large $(BUILD)-bench

sanitize: bootstrap
	cmake -S . -B $(BUILD)-asan $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Debug -DQUEL_SANITIZE=ON
	cmake --build $(BUILD)-asan -j $(JOBS)
	cd $(BUILD)-asan && QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0 ctest --output-on-failure -j $(JOBS)
	@$(MAKE) --no-print-directory fuzz

fuzz: bootstrap
	CXX=clang++ CXXFLAGS='-fsanitize=fuzzer-no-link,address,undefined' cmake -S . -B $(BUILD)-fuzz $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUEL_FUZZ=ON -DQUEL_TESTS=OFF -DQUEL_GUI=OFF
	cmake --build $(BUILD)-fuzz -j $(JOBS) --target fuzz_targets
	@for f in $(BUILD)-fuzz/fuzz/fuzz_*; do \
	  [ -f "$$f" ] && [ -x "$$f" ] || continue; \
	  echo "== $$f ($(FUZZ_SECONDS) s)"; \
	  mkdir -p $(BUILD)-fuzz/corpus/$$(basename $$f); \
	  $$f -max_total_time=$(FUZZ_SECONDS) -timeout=10 -rss_limit_mb=2048 $(BUILD)-fuzz/corpus/$$(basename $$f) || exit 1; \
	done

screenshot: build
	@scripts/screenshot $(BUILD)

clean:
	rm -rf $(BUILD) $(BUILD)-bench $(BUILD)-asan $(BUILD)-fuzz
