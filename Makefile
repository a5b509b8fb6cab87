# make test  - install what is missing, build both configurations, run every test
# make demo  - install what is missing, build, run the main job
# make build - build only
# make fuzz  - build the libFuzzer targets (clang) and run each FUZZ_SECONDS (60)
BUILD ?= $(CURDIR)/build
export BUILD

.PHONY: all bootstrap build test demo fuzz clean
all: build

bootstrap:
	@scripts/bootstrap.sh

build: bootstrap
	@scripts/build.sh

test: build
	@scripts/test.sh

demo: build
	@scripts/demo.sh

fuzz: bootstrap
	@scripts/fuzz.sh

clean:
	rm -rf $(BUILD)
