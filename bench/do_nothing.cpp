// The floor: a static program that does nothing at all.
int main() {
    return 0;
}
