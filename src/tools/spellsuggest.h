#pragma once
// Suggestions for an unknown word: the main list's entries that share its first letter, end with
// its last letter and have a similar length, listed in the order of a fixed cascade of wildcard
// patterns built from the word's beginning and end.
#include <QString>
#include <QStringList>

namespace kavrin {

struct MainWordList;

// Wildcard match without regard to case: "*" any run of characters, "?" one character, "#" one
// digit, "[list]" one character of the list ("a-z" ranges, "!" first negates); anything else
// stands for itself. A "[" without its "]" makes the pattern match nothing.
bool likeMatch(const QString& text, const QString& pattern);

// Entries of the main list that may serve as suggestions for `lowerWord` (trimmed, lower case),
// in list order, as stored.
QStringList suggestionCandidates(const MainWordList& list, const QString& lowerWord);

// Lists candidates by the pattern cascade, each at most once; the candidates it lists are blanked.
QStringList fillSuggestions(const QString& lowerWord, QStringList& candidates);

// Both steps; no suggestions for a word that does not begin with a letter a to z or that is
// longer than 255 characters.
QStringList suggestionsFor(const MainWordList& list, const QString& lowerWord);

}  // namespace kavrin
