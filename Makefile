# The two everyday commands: `make run` shows the bundled example
# appointment book as UTF-8 CSV, `make test` builds and runs every test (also under
# AddressSanitizer and UndefinedBehaviorSanitizer).
BUILD ?= build
ASAN_BUILD ?= build-asan
JOBS ?= 2
CMAKE_FLAGS ?= -DKALVERT_WERROR=ON

.PHONY: all build deps run test test-plain test-asan clean

all: build

build:
	cmake -S . -B $(BUILD) $(CMAKE_FLAGS) >/dev/null
	cmake --build $(BUILD) -j$(JOBS)

run: build
	./$(BUILD)/kalvert -xexamples/book.dat --format=csv --encoding=EUC-JP -s1

test: test-plain test-asan

# What the tests need beyond the build, installed when missing (as .ci/run
# does): the system Python (its csv module reads the CSV export), libical and
# Python's icalendar with recurring_ical_events (they read the iCalendar
# export), LibreOffice and Gnumeric (they open and save the CSV export).
deps:
	@need=$$(tools/test-packages.sh); if [ -n "$$need" ]; then \
		apt-get update && DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends $$need; fi

test-plain: deps build
	ctest --test-dir $(BUILD) --output-on-failure -j$(JOBS)

test-asan: deps
	cmake -S . -B $(ASAN_BUILD) $(CMAKE_FLAGS) -DKALVERT_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug >/dev/null
	cmake --build $(ASAN_BUILD) -j$(JOBS)
	ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
		ctest --test-dir $(ASAN_BUILD) --output-on-failure -j$(JOBS)

clean:
	rm -rf $(BUILD) $(ASAN_BUILD)
