#include "FrozenColumns.h"

#include <QEvent>
#include <QHeaderView>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTableView>

namespace Sondrel {

TFrozenColumns::TFrozenColumns(QTableView& view, int count, QObject* parent)
    : QObject(parent), FView(view), FFrozen(new QTableView(&view)), FCount(count) {
    QTableView& frozen = *FFrozen;
    frozen.setObjectName(view.objectName() + QStringLiteral("Frozen"));
    frozen.setModel(view.model());
    frozen.setSelectionModel(view.selectionModel());
    frozen.setFocusPolicy(Qt::NoFocus);
    frozen.setFrameShape(QFrame::NoFrame);
    frozen.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    frozen.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    frozen.setSelectionBehavior(view.selectionBehavior());
    frozen.setSelectionMode(view.selectionMode());
    frozen.setEditTriggers(view.editTriggers());
    frozen.setShowGrid(view.showGrid());
    frozen.setWordWrap(view.wordWrap());
    frozen.setAlternatingRowColors(view.alternatingRowColors());
    frozen.verticalHeader()->setVisible(false);
    frozen.verticalHeader()->setSectionResizeMode(view.verticalHeader()->sectionResizeMode(0));
    frozen.verticalHeader()->setDefaultSectionSize(view.verticalHeader()->defaultSectionSize());

    QHeaderView& header = *frozen.horizontalHeader();
    const QHeaderView& viewHeader = *view.horizontalHeader();
    header.setDefaultAlignment(viewHeader.defaultAlignment());
    header.setSectionResizeMode(QHeaderView::Interactive);
    header.setSortIndicatorShown(viewHeader.isSortIndicatorShown());
    header.setSortIndicator(viewHeader.sortIndicatorSection(), viewHeader.sortIndicatorOrder());
    header.setSectionsClickable(viewHeader.sectionsClickable());
    const int columns = view.model() != nullptr ? view.model()->columnCount() : 0;
    for (int c = 0; c < columns; ++c) {
        frozen.setColumnHidden(c, c >= FCount);
        if (c < FCount) {
            frozen.setColumnWidth(c, view.columnWidth(c));
        }
    }
    frozen.setSortingEnabled(view.isSortingEnabled());

    // Both views scroll up and down together.
    connect(frozen.verticalScrollBar(), &QAbstractSlider::valueChanged, view.verticalScrollBar(),
            &QAbstractSlider::setValue);
    connect(view.verticalScrollBar(), &QAbstractSlider::valueChanged, frozen.verticalScrollBar(),
            &QAbstractSlider::setValue);
    // Widths follow whichever header the operator drags.
    connect(view.horizontalHeader(), &QHeaderView::sectionResized, this,
            [this](int column, int, int size) { SectionResized(column, size); });
    connect(&header, &QHeaderView::sectionResized, this,
            [this](int column, int, int size) { SectionResized(column, size); });
    // One sort indicator: a click on either header sorts once (through the view that got it)
    // and the other header only shows it.
    connect(&header, &QHeaderView::sortIndicatorChanged, this,
            [this](int column, Qt::SortOrder order) {
                const QSignalBlocker blocker(FView.horizontalHeader());
                FView.horizontalHeader()->setSortIndicator(column, order);
            });
    connect(view.horizontalHeader(), &QHeaderView::sortIndicatorChanged, this,
            [this](int column, Qt::SortOrder order) {
                const QSignalBlocker blocker(FFrozen->horizontalHeader());
                FFrozen->horizontalHeader()->setSortIndicator(column, order);
            });
    // An indicator set with the view's header signals blocked (a model reset) is copied when
    // the rows come back.
    if (view.model() != nullptr) {
        connect(view.model(), &QAbstractItemModel::modelReset, this, [this] {
            const QSignalBlocker blocker(FFrozen->horizontalHeader());
            FFrozen->horizontalHeader()->setSortIndicator(
                FView.horizontalHeader()->sortIndicatorSection(),
                FView.horizontalHeader()->sortIndicatorOrder());
        });
    }

    view.setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    view.viewport()->stackUnder(&frozen);
    view.installEventFilter(this);
    view.horizontalHeader()->installEventFilter(this);
    frozen.show();
    UpdateGeometry();
}

TFrozenColumns::~TFrozenColumns() {
    if (FFrozen) {
        FFrozen->setModel(nullptr);
        delete FFrozen.data();
    }
}

void TFrozenColumns::SectionResized(int column, int newSize) {
    if (column >= FCount || !FFrozen) {
        return;
    }
    if (FView.columnWidth(column) != newSize) {
        FView.setColumnWidth(column, newSize);
    }
    if (FFrozen->columnWidth(column) != newSize) {
        FFrozen->setColumnWidth(column, newSize);
    }
    UpdateGeometry();
}

bool TFrozenColumns::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::Resize:
    case QEvent::Show:
    case QEvent::FontChange:
    case QEvent::LayoutRequest:
        UpdateGeometry();
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

void TFrozenColumns::UpdateGeometry() {
    if (!FFrozen) {
        return;
    }
    int width = 0;
    for (int c = 0; c < FCount; ++c) {
        width += FView.columnWidth(c);
    }
    const int headerHeight = FView.horizontalHeader()->height();
    FFrozen->horizontalHeader()->setFixedHeight(headerHeight);
    FFrozen->horizontalHeader()->setFont(FView.horizontalHeader()->font());
    const int left = FView.frameWidth() +
                     (FView.verticalHeader()->isVisible() ? FView.verticalHeader()->width() : 0);
    FFrozen->setGeometry(left, FView.frameWidth(), width,
                         FView.viewport()->height() + headerHeight);
}

} // namespace Sondrel
