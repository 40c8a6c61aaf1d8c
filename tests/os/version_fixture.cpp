// Carries nothing but its version resource, which the version tests read.
int main() { return 0; }
