#pragma once
// Sizes that let captions show whole in the current font: the windows call
// these after creating their controls, so that a larger font or scale widens
// a column or a button instead of cutting its text.

class QHeaderView;

// The width the section's caption needs in the header's font and style.
[[nodiscard]] int SectionCaptionWidth(const QHeaderView* header, int logicalIndex);

// Widens every section narrower than its caption; wider sections stay.
void WidenSectionsToCaptions(QHeaderView* header);
