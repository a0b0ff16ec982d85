#include "FormFixture.h"

#include "kit/CaptionLabel.h"
#include "kit/ImageLists.h"
#include "kit/ProgressStrip.h"

#include <QImage>
#include <QSet>

using namespace app;
using namespace kit;
using testing_gui::FormTest;

// The log and the progress strip starting hidden is ErrorLogTest's and
// ProgressStripTest's. Before a store is loaded only the panel's first box can be used.
TEST_F(FormTest, ThePanelWaitsForAStore) {
    for (QWidget* w : {(QWidget*)ui().Command3, (QWidget*)ui().Command4, (QWidget*)ui().Command6,
                       (QWidget*)ui().Check1, (QWidget*)ui().Check2, (QWidget*)ui().Check4, (QWidget*)ui().Check5})
        EXPECT_FALSE(w->isEnabled()) << w->objectName().toStdString();
}

TEST(ImageLists, EveryKeyHasItsOwnPicture) {
    QStringList keys = images::imageList2Keys();
    keys << QStringLiteral("pf");
    QSet<QByteArray> seen;
    for (const QString& key : keys) {
        const QIcon icon = images::icon(key);
        ASSERT_FALSE(icon.isNull()) << key.toStdString();
        const QImage img = icon.pixmap(QSize(16, 16)).toImage();
        const QByteArray bytes(reinterpret_cast<const char*>(img.constBits()), img.sizeInBytes());
        EXPECT_FALSE(seen.contains(bytes)) << key.toStdString() << " looks like another picture";
        seen.insert(bytes);
    }
    EXPECT_TRUE(images::icon(QStringLiteral("nosuchkey")).isNull());
    // the sort arrows are checked where the header draws them (SortArrowHeaderTest)
}
