# make test  - install what is missing, build both configurations, run every test
# make demo  - install what is missing, build, run the main job
# make build - build only
# make bench - build, then run every benchmark script bench/run_*.sh
BUILD ?= $(CURDIR)/build
export BUILD

.PHONY: all bootstrap build test demo bench clean
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

clean:
	rm -rf $(BUILD)
