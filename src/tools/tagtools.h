#pragma once
// Tools > Change Tag Case and Tools > Strip HTML Tags on the active document's source.
namespace kavrin {

class DocumentWindow;

// Asks for the case and converts every tag of the active document; one undo step, the document
// left unsaved (it is never saved by this).
void changeTagCaseOfActiveDocument();
// Converts the document's tags without asking.
void changeTagCaseOf(DocumentWindow* doc, bool upper);

// Strips the tags and comments of the active document's selection after asking; one undo step.
void removeTagsFromSelection();

}  // namespace kavrin
