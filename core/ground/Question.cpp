#include "ground/Question.h"

#include <algorithm>
#include <stdexcept>

namespace {
void checkAnswerIndex(int index)
{
    if (index < 0 || index >= clsTest::Capacity)
        throw std::out_of_range("answer index out of range");
}
}

void clsTest::AddOtvety(int Index, const QString& strText)
{
    checkAnswerIndex(Index);
    TextOtvetov[static_cast<size_t>(Index)] = strText;
}

QString clsTest::ListOtvety(int Index) const
{
    checkAnswerIndex(Index);
    return TextOtvetov[static_cast<size_t>(Index)];
}

void clsTest::ClearOtvety()
{
    for (QString& text : TextOtvetov)
        text.clear();
    CountOtvetov = 0;
}

bool clsTest::DefaultWeights() const
{
    return DefaultWeights(Importance, CountOtvetov, Together);
}

bool clsTest::DefaultWeights(int importance, int lastAnswer, const std::array<quint16, Capacity>& together)
{
    if (importance != 1)
        return false;
    const int last = std::clamp(lastAnswer, 0, Capacity - 1);
    const quint16 inRange = static_cast<quint16>((1u << (last + 1)) - 1);
    for (int a = 0; a <= last; ++a) {
        if ((together[static_cast<size_t>(a)] & inRange) != (1u << a))
            return false;
    }
    return true;
}

clsTest& QuestionArray::operator[](int number)
{
    return const_cast<clsTest&>(static_cast<const QuestionArray&>(*this)[number]);
}

const clsTest& QuestionArray::operator[](int number) const
{
    if (number < 1 || number > upperBound())
        throw std::out_of_range("question number out of range");
    auto& slot = items_[static_cast<size_t>(number - 1)];
    if (!slot)
        slot = std::make_unique<clsTest>();
    return *slot;
}

bool QuestionArray::isCreated(int number) const
{
    return number >= 1 && number <= upperBound() && items_[static_cast<size_t>(number - 1)] != nullptr;
}

void QuestionArray::resizeFresh(int n)
{
    items_.clear();
    resizePreserving(n);
}

void QuestionArray::resizePreserving(int n)
{
    items_.resize(static_cast<size_t>(n > 0 ? n : 0));
}
