// Placeholder until vhost lands; remove with the first real source.
int main() { return 0; }
