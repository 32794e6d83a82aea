#pragma once

#include <QString>
#include <QtGlobal>

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

    // The author's weights. How much the question matters: 0, 1, 10, 50 or
    // 250. Together[a] holds bit b when another person's answer b goes with
    // answer a; by default only the same answer does.
    int Importance = 1;
    std::array<quint16, Capacity> Together = SameAnswerOnly();
    // Importance 1 and only the same answer together, over answers 0..CountOtvetov.
    bool DefaultWeights() const;
    static bool DefaultWeights(int importance, int lastAnswer, const std::array<quint16, Capacity>& together);
    static constexpr std::array<quint16, Capacity> SameAnswerOnly()
    {
        std::array<quint16, Capacity> rows{};
        for (int a = 0; a < Capacity; ++a)
            rows[static_cast<size_t>(a)] = static_cast<quint16>(1u << a);
        return rows;
    }

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
