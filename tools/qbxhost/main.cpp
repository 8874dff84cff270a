// Placeholder: the host emulator is being written.
int main() { return 0; }
