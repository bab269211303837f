#include "language/TranslatedText.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QLabel>
#include <QMetaObject>
#include <QVariant>

namespace tomaro::i18n {
namespace {

// Dynamic properties holding "context\nsource" of each kept text.
constexpr char kTextProperty[] = "tomaroText";
constexpr char kToolTipProperty[] = "tomaroToolTip";
constexpr char kTitleProperty[] = "tomaroWindowTitle";
constexpr char kItemsProperty[] = "tomaroItems";

QByteArray keep(Context context, const char* source) {
    return QByteArray(context.name()) + '\n' + source;
}

QString translated(const QByteArray& kept) {
    const qsizetype split = kept.indexOf('\n');
    if (split < 0) return QString::fromUtf8(kept);
    const QByteArray context = kept.left(split);
    const QByteArray source = kept.mid(split + 1);
    return QCoreApplication::translate(context.constData(), source.constData());
}

void applyText(QWidget* widget, const QString& text) {
    if (auto* label = qobject_cast<QLabel*>(widget)) {
        label->setText(text);
    } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        button->setText(text);
    } else if (auto* group = qobject_cast<QGroupBox*>(widget)) {
        group->setTitle(text);
    }
}

void applyItems(QComboBox* combo, const QList<QByteArray>& items) {
    const int current = combo->currentIndex();
    const bool blocked = combo->blockSignals(true);
    for (int i = 0; i < items.size() && i < combo->count(); ++i) {
        combo->setItemText(i, translated(items[i]));
    }
    combo->blockSignals(blocked);
    if (combo->currentIndex() != current) combo->setCurrentIndex(current);
}

void retranslateOne(QWidget* widget) {
    const QVariant text = widget->property(kTextProperty);
    if (text.isValid()) applyText(widget, translated(text.toByteArray()));
    const QVariant tip = widget->property(kToolTipProperty);
    if (tip.isValid()) widget->setToolTip(translated(tip.toByteArray()));
    const QVariant title = widget->property(kTitleProperty);
    if (title.isValid()) widget->setWindowTitle(translated(title.toByteArray()));
    const QVariant items = widget->property(kItemsProperty);
    if (auto* combo = qobject_cast<QComboBox*>(widget); combo != nullptr && items.isValid()) {
        applyItems(combo, items.value<QList<QByteArray>>());
    }
    widget->update();
}

}  // namespace

Context::Context(const QObject* owner) : m_Name(owner->metaObject()->className()) {}

QString translate(Context context, const char* source) { return translated(keep(context, source)); }

void setText(QWidget* widget, Context context, const char* source) {
    const QByteArray kept = keep(context, source);
    widget->setProperty(kTextProperty, kept);
    applyText(widget, translated(kept));
}

QLabel* label(QWidget* parent, Context context, const char* source) {
    return withText(new QLabel(parent), context, source);
}

void setToolTip(QWidget* widget, Context context, const char* source) {
    const QByteArray kept = keep(context, source);
    widget->setProperty(kToolTipProperty, kept);
    widget->setToolTip(translated(kept));
}

void setWindowTitle(QWidget* widget, Context context, const char* source) {
    const QByteArray kept = keep(context, source);
    widget->setProperty(kTitleProperty, kept);
    widget->setWindowTitle(translated(kept));
}

void setItems(QComboBox* combo, Context context, std::initializer_list<const char*> sources) {
    QList<QByteArray> items;
    for (const char* source : sources) items.push_back(keep(context, source));
    combo->setProperty(kItemsProperty, QVariant::fromValue(items));
    const int current = combo->currentIndex();
    const bool blocked = combo->blockSignals(true);
    combo->clear();
    for (const QByteArray& item : items) combo->addItem(translated(item));
    combo->blockSignals(blocked);
    if (current >= 0 && current < combo->count()) combo->setCurrentIndex(current);
}

void retranslate(QWidget* root) {
    retranslateOne(root);
    for (QWidget* child : root->findChildren<QWidget*>()) retranslateOne(child);
}

}  // namespace tomaro::i18n
