# The two everyday commands: `make run` exports the bundled example
# appointment book, `make test` builds and runs every test (also under
# AddressSanitizer and UndefinedBehaviorSanitizer).
BUILD ?= build
ASAN_BUILD ?= build-asan
JOBS ?= 2
CMAKE_FLAGS ?= -DKALVERT_WERROR=ON

.PHONY: all build run test test-deps test-plain test-asan clean

all: build

build:
	cmake -S . -B $(BUILD) $(CMAKE_FLAGS) >/dev/null
	cmake --build $(BUILD) -j$(JOBS)

run: build
	./$(BUILD)/kalvert -xexamples/book.dat

test: test-plain test-asan

# The packages the tests read the iCalendar export with, installed when
# missing (as .ci/run installs the build's).
test-deps:
	@need=$$(tools/test-packages.sh); if [ -n "$$need" ]; then \
		apt-get update && DEBIAN_FRONTEND=noninteractive apt-get install -y $$need; fi

test-plain: test-deps build
	ctest --test-dir $(BUILD) --output-on-failure -j$(JOBS)

test-asan: test-deps
	cmake -S . -B $(ASAN_BUILD) $(CMAKE_FLAGS) -DKALVERT_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug >/dev/null
	cmake --build $(ASAN_BUILD) -j$(JOBS)
	ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
		ctest --test-dir $(ASAN_BUILD) --output-on-failure -j$(JOBS)

clean:
	rm -rf $(BUILD) $(ASAN_BUILD)
