#include <cstdio>

int main()
{
    std::puts("vantrel-cli");
    return 0;
}
