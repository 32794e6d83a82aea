#pragma once

#include <QString>

#include <array>
#include <memory>
#include <vector>

// One question of the test: its text, its answers and the answer chosen by the
// person taking the test. Texts are HTML fragments written by the test's author.
class clsTest {
public:
    QString Vopros;        // question text; empty = not entered yet
    int CountOtvetov = 0;  // index of the last answer (answers minus one)
    int NomerOtveta = 0;   // chosen answer, -1 = not answered

    // Both throw std::out_of_range for an index outside 0..9 and change nothing.
    void AddOtvety(int Index, const QString& strText);
    QString ListOtvety(int Index) const;
    // Empties the ten answers and sets CountOtvetov to 0; text and choice stay.
    void ClearOtvety();

    static constexpr int Capacity = 10;

private:
    std::array<QString, Capacity> TextOtvetov;
};

// The questions of the test, numbered from 1. An element is created as a fresh
// question the first time it is touched, so any number 1..upperBound() is safe.
class QuestionArray {
public:
    // Throws std::out_of_range outside 1..upperBound().
    clsTest& operator[](int number);
    const clsTest& operator[](int number) const;

    int upperBound() const { return static_cast<int>(items_.size()); }
    // True when the element was touched since the last fresh resize.
    bool isCreated(int number) const;

    // Drops every question; the array becomes 1..n of fresh questions.
    void resizeFresh(int n);
    // Keeps questions 1..min(old, n); new ones are fresh.
    void resizePreserving(int n);

private:
    // Lazily filled: a null slot stands for a question nobody touched yet.
    mutable std::vector<std::unique_ptr<clsTest>> items_;
};
