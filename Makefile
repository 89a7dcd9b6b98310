# Front door for newcomers and CI: `make demo` and `make test`; `make install` for the command.
JOBS    ?= $(shell nproc)
BUILD   ?= build
ASAN    ?= build-asan
TSAN    ?= build-tsan
FUZZ    ?= build-fuzz
FUZZ_SECONDS ?= 60
# Fuzz targets (fuzz/fuzz_NAME.cpp) and the folder of fuzz/seeds/ each starts from, as NAME:SEEDS.
FUZZ_TARGETS := png_memory:png state_dictionary:state_dictionary aupreset:aupreset state_chunks:state_chunks \
                preset_files:preset_files midi:midi
PREFIX  ?= /usr/local
DESTDIR ?=

.PHONY: all deps build demo install test test-main test-asan tsan bench bench-lv2 fuzz clean

all: build

deps:
	@./scripts/ensure-packages.sh

$(BUILD)/CMakeCache.txt: | deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo

build: deps $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS)

# Only the command and the bundle it loads: no tests, benchmarks or fuzz targets.
demo: deps $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS) --target brindle
	./$(BUILD)/tools/brindle demo

# PREFIX/bin/brindle, PREFIX/lib/brindle/ (the bundle and the platform library),
# PREFIX/lib/lv2/Brindle.lv2/ and PREFIX/share/man/man1/brindle.1, staged under DESTDIR when given.
# The program is configured with PREFIX so that it finds the installed bundle. For LV2 hosts alone,
# copying build/Brindle.lv2 into ~/.lv2 is a user install.
install: deps $(BUILD)/CMakeCache.txt
	cmake -S . -B $(BUILD) -DCMAKE_INSTALL_PREFIX=$(PREFIX)
	cmake --build $(BUILD) -j $(JOBS) --target brindle Brindle_lv2_bundle
	DESTDIR=$(DESTDIR) cmake --install $(BUILD)

test-main: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

test-asan: deps
	cmake -S . -B $(ASAN) -DCMAKE_BUILD_TYPE=Debug -DBRINDLE_SANITIZE=address,undefined -DBRINDLE_BENCH=OFF
	cmake --build $(ASAN) -j $(JOBS)
	cd $(ASAN) && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure -j $(JOBS)

# Every fuzz target runs for a bounded time after the two suites: 20 s each here (FUZZ_SECONDS on the
# command line overrides it), FUZZ_SECONDS (default 60) each through `make fuzz`.
test: FUZZ_SECONDS = 20
test: test-main test-asan fuzz

tsan: deps
	cmake -S . -B $(TSAN) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBRINDLE_SANITIZE=thread -DBRINDLE_BENCH=OFF
	cmake --build $(TSAN) -j $(JOBS)
	cd $(TSAN) && TSAN_OPTIONS=halt_on_error=1 ctest --output-on-failure -j $(JOBS)

bench: build
	@for b in $(BUILD)/bench/*/bench_*; do [ -x "$$b" ] && echo "== $$b" && "$$b"; done

# lilv's lv2bench: Brindle's mono LV2 variant beside guitarix's fuzz plug-ins and swh's foverdrive.
bench-lv2: deps $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS) --target Brindle_lv2_bundle
	./scripts/bench-lv2.sh $(BUILD)

fuzz: deps
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBRINDLE_FUZZ=ON -DBRINDLE_TESTS=OFF -DBRINDLE_BENCH=OFF
	cmake --build $(FUZZ) --target $(foreach t,$(FUZZ_TARGETS),fuzz_$(firstword $(subst :, ,$(t)))) -j $(JOBS)
	@set -e; for t in $(FUZZ_TARGETS); do \
	  name=$${t%%:*}; seeds=$${t##*:}; mkdir -p $(FUZZ)/corpus/$$seeds; \
	  echo "== fuzz_$$name, $(FUZZ_SECONDS) s"; \
	  ./$(FUZZ)/fuzz/fuzz_$$name -max_total_time=$(FUZZ_SECONDS) -rss_limit_mb=2048 -print_final_stats=1 \
	    $(FUZZ)/corpus/$$seeds fuzz/seeds/$$seeds; \
	done

clean:
	rm -rf $(BUILD) $(ASAN) $(TSAN) $(FUZZ)
