# The two commands of the README: `make run` and `make test`. Both install what is
# missing, configure and build into build/ first.
BUILD ?= build
CMAKE_FLAGS ?=

.PHONY: all deps configure build run test bench soak fuzz clean browser-test

all: build

deps:
	@bash scripts/install-deps.sh

$(BUILD)/build.ninja: | deps
	cmake -S . -B $(BUILD) -G Ninja $(CMAKE_FLAGS)

configure: $(BUILD)/build.ninja

build: deps configure
	cmake --build $(BUILD)

# With a display: the desktop shell on coreapp-demo.db. Without one: plays the road of
# one order on coreapp-demo.db (made with the demo data on the first run; each further
# run adds an order). Printed orders go to coreapp-demo.db-prints/. See scripts/run.sh.
run: build
	@bash scripts/run.sh $(BUILD)

# The suite, then every fuzz target for FUZZ_CI_SECONDS (see fuzz below); a crash
# fails the run and prints the input that caused it.
FUZZ_CI_SECONDS ?= 30
test: build
	ctest --test-dir $(BUILD) --output-on-failure
	$(MAKE) --no-print-directory fuzz FUZZ_SECONDS=$(FUZZ_CI_SECONDS)

bench: build
	@for b in $(BUILD)/*_bench; do echo "== $$b"; $$b --benchmark_min_time=0.2; done

# Every page of the phone view (`coreapp serve`) in headless Chromium at 390x844 and
# 1280x800, signed in through the real form; screenshots in $(BUILD)/serve-screenshots/.
# Not part of `make test`: it needs the browser (Debian's chromium and chromium-driver).
browser-test: deps configure
	@command -v chromedriver >/dev/null || { echo "browser-test needs chromium and chromium-driver: sudo apt-get install -y chromium chromium-driver"; exit 2; }
	cmake --build $(BUILD) --target browser-test

# The reliability suite at its long sizes: 4 clerks x 250 saves, 50 kills mid-save.
soak: build
	RELIABILITY_SCALE=soak $(BUILD)/reliability_tests

# libFuzzer targets (tests/fuzz), built with clang into $(FUZZ_BUILD) with the libraries
# instrumented, each run for FUZZ_SECONDS on a corpus seeded from the project's files.
# Only the targets and the layers they link are built (not the app, tests or desktop).
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 60
FUZZ_TARGETS ?= tsql_parser_fuzz filter_expression_fuzz selection_json_fuzz scenario_fuzz
fuzz: | deps
	cmake -S . -B $(FUZZ_BUILD) -G Ninja -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
	  -DCOREAPP_FUZZ=ON -DCOREAPP_BENCH=OFF $(CMAKE_FLAGS)
	cmake --build $(FUZZ_BUILD) --target $(FUZZ_TARGETS)
	@bash scripts/fuzz.sh $(FUZZ_BUILD) $(FUZZ_SECONDS) $(FUZZ_TARGETS)

clean:
	rm -rf $(BUILD)
