# The two commands of the README: `make run` and `make test`.
# Both install what is missing on a Debian machine first.

PACKAGES := build-essential cmake ninja-build g++ clang libclang-rt-14-dev \
            qt6-base-dev qt6-multimedia-dev libgl-dev libgtest-dev libbenchmark-dev z80asm \
            xvfb xdotool imagemagick fonts-dejavu-core xauth clang-format \
            pulseaudio pulseaudio-utils openbox x11-utils
SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)
JOBS ?= $(shell nproc)

RUN_DIR  := build
TEST_DIR := build-test
FUZZ_DIR := build-fuzz
FUZZ_SECONDS ?= 30

.PHONY: all deps run test bench fuzz format-check clean

all: $(RUN_DIR)/build.ninja
	cmake --build $(RUN_DIR) -j $(JOBS)

deps:
	@missing=""; for p in $(PACKAGES); do \
	  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q "install ok installed" || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  echo "Installing:$$missing"; \
	  $(SUDO) apt-get update -qq && \
	  DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -qq --no-install-recommends $$missing; \
	fi

$(RUN_DIR)/build.ninja: | deps
	cmake -S . -B $(RUN_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQJ_TESTS=OFF

$(TEST_DIR)/build.ninja: | deps
	cmake -S . -B $(TEST_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQJ_SANITIZE=ON -DQJ_BENCH=OFF

run: deps $(RUN_DIR)/build.ninja
	cmake --build $(RUN_DIR) -j $(JOBS)
	exec ./$(RUN_DIR)/qj47r

test: deps $(TEST_DIR)/build.ninja
	cmake --build $(TEST_DIR) -j $(JOBS)
	cd $(TEST_DIR) && QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=1 \
	  UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure --timeout 300 -j $(JOBS)
	ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 tests/run_whole.sh $(TEST_DIR)

bench: deps $(RUN_DIR)/build.ninja
	cmake --build $(RUN_DIR) -j $(JOBS)
	@for b in $(RUN_DIR)/*_bench; do [ -x $$b ] && $$b; done; true

# Each target starts from its seed corpus (seeds/<target>/, written by the
# build) and the inputs it found before (corpus/<target>/, where it adds new ones).
fuzz: deps
	cmake -S . -B $(FUZZ_DIR) -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DQJ_FUZZ=ON -DQJ_TESTS=OFF -DQJ_BENCH=OFF
	cmake --build $(FUZZ_DIR) -j $(JOBS) --target fuzz_targets
	@for f in $(FUZZ_DIR)/fuzz_*; do [ -f $$f ] && [ -x $$f ] || continue; name=$${f##*/}; \
	  mkdir -p $(FUZZ_DIR)/corpus/$$name; \
	  echo "== $$f"; UBSAN_OPTIONS=print_stacktrace=1 $$f -max_total_time=$(FUZZ_SECONDS) \
	    -print_final_stats=0 -artifact_prefix=$(FUZZ_DIR)/ \
	    $(FUZZ_DIR)/corpus/$$name $(FUZZ_DIR)/seeds/$$name || exit 1; done

# Fails when a C++ file differs from the project's .clang-format style.
format-check: deps
	git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run -Werror

clean:
	rm -rf $(RUN_DIR) $(TEST_DIR) $(FUZZ_DIR)
