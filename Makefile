# make test  - install what is missing, build all configurations, run every test
# make demo  - install what is missing, build, run the main job
# make build - build only
# make bench - build, then run every benchmark script bench/run_*.sh
# make fuzz  - build the libFuzzer targets (clang) and run each FUZZ_SECONDS (60)
BUILD ?= $(CURDIR)/build
export BUILD

.PHONY: all bootstrap build test demo bench fuzz clean
all: build

bootstrap:
	@scripts/bootstrap.sh

build: bootstrap
	@scripts/build.sh

test: build
	@scripts/test.sh

demo: build
	@scripts/demo.sh

bench: build
	@status=0; for s in bench/run_*.sh; do [ -x "$$s" ] || continue; "$$s" || status=1; done; exit $$status

fuzz: bootstrap
	@scripts/fuzz.sh

clean:
	rm -rf $(BUILD)
