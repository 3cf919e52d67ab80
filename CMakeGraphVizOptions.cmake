# cmake --graphviz draws only the project's own parts: docs/architecture.png.
set(GRAPHVIZ_GRAPH_NAME "Talewick")
set(GRAPHVIZ_EXTERNAL_LIBS FALSE)
set(GRAPHVIZ_GENERATE_PER_TARGET FALSE)
set(GRAPHVIZ_GENERATE_DEPENDERS FALSE)
set(GRAPHVIZ_IGNORE_TARGETS "^test_" "^fuzz_" "^bench_" "^startup_probe_" "^soak$" "_autogen$" "_resources_" "talewick_test_")
