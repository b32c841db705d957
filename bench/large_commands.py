#!/usr/bin/env python3
"""Writes a large command set, as a program that adds its own commands might bring: 80 phrases of 6 to 10
places, each place 2 to 20 alternatives of one to three words ("[can I have | I'd like] (small | large |
twelve ounce) ..."), built from the words people say in Debian's recordings (the cards, KLettres' words,
hedgewars' voice lines) and a few of an order's. Then the phrases that match what those recordings say: the
cards grammar's five, the turtle's two, and KLettres' words one command each. The same set every run.
Usage: bench/large_commands.py [phrases] > large.commands"""
import random
import sys

CARDS = "ace two three four five six seven eight nine ten jack queen king lady clubs hearts diamonds spades".split()
KLETTRES = "arm ball car dog ear fix gas gem hot hut jet key me my no or pet saw say sit sky the well".split()
HEDGEWARS = ("amazing boring brilliant bye come on then coward cut it out drat enemy down excellent fire first blood "
             "flawless fly away gonna get you grenade hello hurry incoming just wait kamikaze leave me alone melon "
             "missed nutter oh dear oops ouch reinforcements revenge run same team so long stupid take cover this "
             "one is mine traitor victory watch what yes sir regret that").split()
ORDER = ("can I have I'd like please with without a an small medium large twelve ounce light dark roast single "
         "double shot latte mocha milk bit of extra hot iced decaf cup mug to go here").split()


def place(rng, pool, size):
    """One place of a phrase: size alternatives of one to three words from pool, optional now and then."""
    alternatives = set()
    while len(alternatives) < size:
        alternatives.add(" ".join(rng.choice(pool) for _ in range(rng.choice((1, 1, 1, 2, 2, 3)))))
    text = " | ".join(sorted(alternatives))
    return f"[{text}]" if rng.random() < 0.2 else f"({text})"


def main():
    count = int(sys.argv[1]) if len(sys.argv) > 1 else 80
    rng = random.Random(42)
    pools = [CARDS, KLETTRES, HEDGEWARS, ORDER, CARDS + KLETTRES + HEDGEWARS + ORDER]
    print("# a large command set (bench/large_commands.py)")
    for n in range(count):
        places = [place(rng, rng.choice(pools), rng.randint(2, 20)) for _ in range(rng.randint(6, 10))]
        print(f"order{n + 1}=" + " ".join(places))
    print("# what the recordings say")
    cards = "(" + " | ".join(CARDS[:14]) + ") [of] (" + " | ".join(CARDS[14:]) + ")"
    no_of = "(" + " | ".join(CARDS[:14]) + ")"
    print(f"three cards={cards} {cards} {cards}")
    print(f"two cards={cards} {cards}")
    print(f"card={cards}")
    print(f"same suit={no_of} {cards}")
    print(f"no suit={no_of} {no_of}")
    print("move=go forward ten meters")
    print("move2=go (forward | backward) (one | two | three | four | five | six | seven | eight | nine | ten) "
          "[meter | meters]")
    for word in KLETTRES:
        print(f"{word}={word}")


if __name__ == "__main__":
    main()
