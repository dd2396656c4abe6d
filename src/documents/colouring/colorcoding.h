#pragma once
// Colour coding of a whole document.
namespace kavrin {

class DocumentWindow;

// Colours every tag and comment of the document by its class.
void colorCodeDocument(DocumentWindow* doc);

}  // namespace kavrin
