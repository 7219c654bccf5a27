// The wingleaf-host program.
int main() { return 0; }
