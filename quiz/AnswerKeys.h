#pragma once

class QKeyEvent;

// The answer a key press stands for: 1 to 4 for the digit keys 1 to 4, on the main keyboard or
// the keypad, pressed without Ctrl, Alt or Meta; 0 for any other key. A key held down answers
// once: its repeats stand for nothing.
int answerKeyNumber(const QKeyEvent* event);
