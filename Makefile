# The two everyday commands: `make run` shows the bundled example
# appointment book as UTF-8 CSV, `make test` builds and runs every test (also under
# AddressSanitizer and UndefinedBehaviorSanitizer).
BUILD ?= build
ASAN_BUILD ?= build-asan
JOBS ?= 2
CMAKE_FLAGS ?= -DKALVERT_WERROR=ON

.PHONY: all build program deps run install test test-plain test-asan windows clean

all: build

build:
	cmake -S . -B $(BUILD) $(CMAKE_FLAGS) >/dev/null
	cmake --build $(BUILD) -j$(JOBS)

# The program alone, quietly: its build output is shown only when it fails.
program:
	@mkdir -p $(BUILD) && cmake -S . -B $(BUILD) $(CMAKE_FLAGS) >$(BUILD)/make.log 2>&1 && \
		cmake --build $(BUILD) -j$(JOBS) --target kalvert >>$(BUILD)/make.log 2>&1 || { cat $(BUILD)/make.log; exit 1; }

# The book is the first screen: the program's banner is shown only when the run fails.
run: program
	@./$(BUILD)/kalvert -xexamples/book.dat --format=csv --encoding=EUC-JP -s1 2>$(BUILD)/run.log || \
		{ cat $(BUILD)/run.log; exit 1; }

# The program and its manual page under ~/.local, without root.
PREFIX ?= $(HOME)/.local
install: program
	@cmake --install $(BUILD) --prefix $(PREFIX) >/dev/null && echo "installed $(PREFIX)/bin/kalvert"

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

# kalvert.exe for 64-bit Windows, cross-built with mingw-w64 (Debian's
# g++-mingw-w64-x86-64-posix); tools/check-windows.sh runs it under wine.
windows:
	cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DCMAKE_BUILD_TYPE=Release \
		-DKALVERT_TESTS=OFF -DKALVERT_ICAL_IMPORT=OFF $(CMAKE_FLAGS) >/dev/null
	cmake --build build-windows -j$(JOBS) --target kalvert

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) build-windows
