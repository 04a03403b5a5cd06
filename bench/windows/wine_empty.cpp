// Exits at once. bench/pack-bench.sh times it to take Wine's own start-up out of the time of a
// tunebale run.
int main() { return 0; }
