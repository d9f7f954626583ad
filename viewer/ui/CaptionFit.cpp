#include "viewer/ui/CaptionFit.h"

#include <QAbstractItemModel>
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
    const QSize text = header->fontMetrics().size(0, option.text);
    return header->style()->sizeFromContents(QStyle::CT_HeaderSection, &option, text, header).width();
}

void WidenSectionsToCaptions(QHeaderView* header) {
    for (int section = 0; section < header->count(); ++section) {
        const int needed = SectionCaptionWidth(header, section);
        if (header->sectionSize(section) < needed) header->resizeSection(section, needed);
    }
}
