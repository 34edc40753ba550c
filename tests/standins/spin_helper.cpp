// Stand-in decoder that never ends, burning processor time.
int main()
{
    volatile unsigned long turns = 0;
    while (true)
        turns = turns + 1;
}
