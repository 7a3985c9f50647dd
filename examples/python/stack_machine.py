#!/usr/bin/env python3
"""A stack machine as a net, from Python.

Describes a machine with one binary stack that accepts the words a^n b^n (as many b's as a's,
after them), builds the net of saturated-linear neurons that carries it out for each word,
runs the net and reads its answer from the output "Accept". Along the way it shows the stack
as the net holds it: one neuron's exact value, whose digits are the stack's contents.

Run it from the source tree after `tools/test.sh` (which builds the module) with
    PYTHONPATH=build/test/python python3 examples/python/stack_machine.py
or anywhere once the module is installed.
"""

import json

import veltra

MACHINE = {
    "alphabet": ["a", "b"],
    "states": ["as", "bs", "acc"],
    "start": "as",
    "accept": ["acc"],
    "stacks": 1,
    "transitions": [
        {"state": "as", "read": "a", "top": ["any"], "next": "as", "do": ["push 1"]},
        {"state": "as", "read": "b", "top": ["1"], "next": "bs", "do": ["pop"]},
        {"state": "bs", "read": "b", "top": ["1"], "next": "bs", "do": ["pop"]},
        {"state": "as", "read": "end", "top": ["empty"], "next": "acc", "do": ["keep"]},
        {"state": "bs", "read": "end", "top": ["empty"], "next": "acc", "do": ["keep"]},
    ],
}


def decide(word):
    """Builds the machine's net for the word and runs it until it finishes by itself."""
    net = veltra.Net.from_machine(json.dumps(MACHINE), word)
    net.run()
    return net


def expected(word):
    n = len(word) // 2
    return word == "a" * n + "b" * n


def main():
    words = ["", "ab", "aabb", "aaabbb", "aab", "abb", "ba", "abab"]
    print(f"{'word':8} {'net':9} {'steps':>5}")
    for word in words:
        net = decide(word)
        accepted = "1" in net["Accept"].history
        assert accepted == expected(word), word
        print(f"{word or '(empty)':8} {'accepted' if accepted else 'rejected':9} {net.steps:5}")

    # The stack is one neuron's value, its digits the stack's contents (3 for each 1 pushed):
    # watch it grow while the a's are read and shrink while the b's are.
    net = veltra.Net.from_machine(json.dumps(MACHINE), "aaabbb")
    stack = net["stack1"]
    print("\nthe stack while reading aaabbb:")
    shown = None
    while not net.finished:
        net.step()
        if stack.value != shown:
            shown = stack.value
            print(f"  step {net.steps:2}: {shown}")


if __name__ == "__main__":
    main()
