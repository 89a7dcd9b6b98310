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

.PHONY: all deps build demo install test test-main test-asan tsan bench bench-lv2 fuzz clean stage-log-reset docs package

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
# PREFIX/lib/lv2/Brindle.lv2/, PREFIX/lib/clap/Brindle.clap (with Brindle.clap-resources/),
# PREFIX/lib/vst3/Brindle.vst3/ and PREFIX/share/man/man1/brindle.1, staged under DESTDIR when given. The
# program is configured with PREFIX so that it finds the installed bundle. For LV2, CLAP or VST3 hosts
# alone, copying build/Brindle.lv2 into ~/.lv2, build/Brindle.clap and build/Brindle.clap-resources into
# ~/.clap, or build/Brindle.vst3 into ~/.vst3, is a user install.
# The framework comes too, for plug-ins built outside this tree: PREFIX/include/brindle/, its libraries
# in PREFIX/lib/brindle/ and the CMake package BrindleFramework in PREFIX/lib/cmake/ (docs/).
install: deps $(BUILD)/CMakeCache.txt
	cmake -S . -B $(BUILD) -DCMAKE_INSTALL_PREFIX=$(PREFIX)
	cmake --build $(BUILD) -j $(JOBS) --target brindle Brindle_lv2_bundle Brindle_clap Brindle_vst3 brindle_sdk
	DESTDIR=$(DESTDIR) cmake --install $(BUILD)

# The framework's API reference from its public headers' comments, with docs/ as its pages:
# $(BUILD)/docs/html/index.html.
SDK_HEADERS := containers platform gdi raster plugcore lv2 clap vst3 au graphics tools/imagegen/ImageCanvas.h
# The editor pictures in docs/controls.md are snapshots the command takes, headless, of Brindle's editor.
docs: deps $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS) --target brindle
	@mkdir -p $(BUILD)/docs/img
	env -u DISPLAY ./$(BUILD)/tools/brindle editor --snapshot $(BUILD)/docs/img/editor-default.png >/dev/null
	env -u DISPLAY ./$(BUILD)/tools/brindle editor --set Level=1 --set Attack=0 --set Effect=Off --set Cabinet=Off \
	  --snapshot $(BUILD)/docs/img/editor-turned.png >/dev/null
	DOCS_OUT=$(BUILD)/docs DOCS_INPUT="$(SDK_HEADERS)" doxygen docs/Doxyfile
	@echo "the API reference: $(BUILD)/docs/html/index.html"

# A Debian package of everything `make install` installs, for /usr: $(BUILD)/package/brindle_*.deb,
# checked by lintian and unpacked into a scratch root to run (tests/sdk/package_check.sh).
package: deps $(BUILD)/CMakeCache.txt
	cmake -S . -B $(BUILD) -DCMAKE_INSTALL_PREFIX=/usr
	cmake --build $(BUILD) -j $(JOBS) --target brindle Brindle_lv2_bundle Brindle_clap Brindle_vst3 brindle_sdk
	rm -f $(BUILD)/package/brindle_*.deb
	cd $(BUILD) && cpack
	./tests/sdk/package_check.sh $(BUILD)/package/brindle_*.deb

# Suites that drive real X windows and real plug-in hosts, by test name; they run as a stage of their own.
WINDOW_AND_HOST_TESTS := ^(X11|Lv2Host|Jalv|PlayJack|PlayWindow|ArdourVst3)
# Each stage says how long it took; `make test` ends with the table of all of them.
TIMED    := ./scripts/timed.sh
STAGE_LOG ?= $(CURDIR)/$(BUILD)/stage-times.txt
export STAGE_LOG

# make test builds everything with warnings as errors.
WERROR := -DBRINDLE_WERROR=ON

test-main: deps $(BUILD)/CMakeCache.txt
	@$(TIMED) "format check" ./scripts/check-format.sh
	@$(TIMED) "configure" cmake -S . -B $(BUILD) $(WERROR)
	@$(TIMED) "build" cmake --build $(BUILD) -j $(JOBS)
	@$(TIMED) "suite" sh -c 'cd $(BUILD) && ctest --output-on-failure --timeout 600 -j $(JOBS) -E "$(WINDOW_AND_HOST_TESTS)"'
	@$(TIMED) "window and host tests" sh -c 'cd $(BUILD) && ctest --output-on-failure --timeout 600 -j $(JOBS) -R "$(WINDOW_AND_HOST_TESTS)"'

test-asan: deps
	@$(TIMED) "ASan+UBSan configure" cmake -S . -B $(ASAN) -DCMAKE_BUILD_TYPE=Debug \
	  -DBRINDLE_SANITIZE=address,undefined -DBRINDLE_BENCH=OFF $(WERROR)
	@$(TIMED) "ASan+UBSan build" cmake --build $(ASAN) -j $(JOBS)
	@$(TIMED) "ASan+UBSan suite" sh -c 'cd $(ASAN) && ASAN_OPTIONS=detect_leaks=1 \
	  UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure --timeout 600 -j $(JOBS)'

# The suites with threads in them, under ThreadSanitizer (the others have nothing for it to find).
TSAN_TESTS := tests/containers/test_containers tests/plugcore/test_plugcore tests/gdi/test_gdi \
              tests/platform/test_platform tests/graphics/test_graphics tests/au/test_au \
              tests/clap/test_clap tests/clap/test_clap_brindle
tsan: deps
	@$(TIMED) "TSan configure" cmake -S . -B $(TSAN) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DBRINDLE_SANITIZE=thread -DBRINDLE_BENCH=OFF $(WERROR)
	@$(TIMED) "TSan build" cmake --build $(TSAN) -j $(JOBS) --target $(notdir $(TSAN_TESTS)) brindle_component \
	  brindle_soak
	@$(TIMED) "TSan suites" sh -c 'set -e; for t in $(TSAN_TESTS); do \
	  echo "== $$t"; TSAN_OPTIONS=halt_on_error=1 BRINDLE_SOURCE_DIR=$(CURDIR) BRINDLE_BINARY_DIR=$(CURDIR)/$(TSAN) \
	  ./$(TSAN)/$$t --gtest_brief=1; done'
	@$(TIMED) "TSan soak" sh -c 'TSAN_OPTIONS=halt_on_error=1 ./$(TSAN)/tools/brindle_soak --seconds 15'

# The soak (tools/soak): both plug-in formats rendering while their parameters are automated, their
# states saved and restored and the editor opened and closed, for SOAK_SECONDS (default 600); it fails
# on non-finite output, lost state or resident memory that grows after the warm-up. Not in `make test`.
SOAK_SECONDS ?= 600
.PHONY: soak
soak: deps $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS) --target brindle_soak
	./$(BUILD)/tools/brindle_soak --seconds $(SOAK_SECONDS)

# Every fuzz target runs for a bounded time after the suites: 20 s each here (FUZZ_SECONDS on the
# command line overrides it), FUZZ_SECONDS (default 60) each through `make fuzz`.
test: FUZZ_SECONDS = 20
test: stage-log-reset test-main test-asan tsan fuzz
	@echo "== time per stage"; cat $(STAGE_LOG)

stage-log-reset:
	@mkdir -p $(dir $(STAGE_LOG)) && : > $(STAGE_LOG)

# The speed goals in one table (bench/bench_table.py): every row the fastest of 20 short repetitions,
# pinned to one core. `make bench-all` runs every benchmark program in full.
bench: build
	@python3 bench/bench_table.py $(BUILD)

bench-all: build
	@for b in $(BUILD)/bench/*/bench_*; do [ -x "$$b" ] && echo "== $$b" && "$$b"; done

# lilv's lv2bench: Brindle's mono LV2 variant beside guitarix's fuzz plug-ins and swh's foverdrive.
bench-lv2: deps $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS) --target Brindle_lv2_bundle
	./scripts/bench-lv2.sh $(BUILD)

fuzz: deps
	@CC=clang CXX=clang++ $(TIMED) "fuzz configure" cmake -S . -B $(FUZZ) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DBRINDLE_FUZZ=ON -DBRINDLE_TESTS=OFF -DBRINDLE_BENCH=OFF $(WERROR)
	@$(TIMED) "fuzz build" cmake --build $(FUZZ) -j $(JOBS) \
	  --target $(foreach t,$(FUZZ_TARGETS),fuzz_$(firstword $(subst :, ,$(t))))
	@$(TIMED) "fuzzing" sh -c 'set -e; for t in $(FUZZ_TARGETS); do \
	  name=$${t%%:*}; seeds=$${t##*:}; mkdir -p $(FUZZ)/corpus/$$seeds; \
	  echo "== fuzz_$$name, $(FUZZ_SECONDS) s"; \
	  ./$(FUZZ)/fuzz/fuzz_$$name -max_total_time=$(FUZZ_SECONDS) -rss_limit_mb=2048 -print_final_stats=1 \
	    $(FUZZ)/corpus/$$seeds fuzz/seeds/$$seeds; \
	done'

clean:
	rm -rf $(BUILD) $(ASAN) $(TSAN) $(FUZZ)
