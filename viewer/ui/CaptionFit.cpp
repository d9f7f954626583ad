#include "viewer/ui/CaptionFit.h"

#include <QAbstractItemModel>
#include <QFont>
#include <QFontMetrics>
#include <QHeaderView>
#include <QStyle>
#include <QStyleOptionHeader>

int SectionCaptionWidth(const QHeaderView* header, int logicalIndex) {
    QStyleOptionHeader option;
    option.initFrom(header);
    option.section = logicalIndex;
    option.orientation = header->orientation();
    if (header->model() != nullptr)
        option.text = header->model()->headerData(logicalIndex, header->orientation(), Qt::DisplayRole).toString();
    // A selected row draws the captions of its sections in bold: fit the bold text.
    QFont bold = header->font();
    bold.setBold(true);
    option.fontMetrics = QFontMetrics(bold);
    const QSize text = option.fontMetrics.size(0, option.text);
    return header->style()->sizeFromContents(QStyle::CT_HeaderSection, &option, text, header).width();
}

void WidenSectionsToCaptions(QHeaderView* header) {
    for (int section = 0; section < header->count(); ++section) {
        const int needed = SectionCaptionWidth(header, section);
        if (header->sectionSize(section) < needed) header->resizeSection(section, needed);
    }
}
