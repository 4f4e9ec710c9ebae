# The two commands of the README: `make run` and `make test`. Both install what is
# missing, configure and build into build/ first.
BUILD ?= build
CMAKE_FLAGS ?=

.PHONY: all deps configure build run test bench clean

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
# run adds an order). Printed orders go to coreapp-demo-prints/. See scripts/run.sh.
run: build
	@bash scripts/run.sh $(BUILD)

test: build
	ctest --test-dir $(BUILD) --output-on-failure

bench: build
	@for b in $(BUILD)/*_bench; do echo "== $$b"; $$b --benchmark_min_time=0.2; done

clean:
	rm -rf $(BUILD)
