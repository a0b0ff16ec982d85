#include "FormFixture.h"

#include "kit/ProgressStrip.h"
#include "kit/StatusPanels.h"
#include "kit/StatusProgress.h"

using namespace app;
using namespace kit;
using testing_gui::FormTest;

namespace {

bool isBlue(QRgb c) { return qRed(c) < 40 && qGreen(c) < 40 && qBlue(c) > 200; }
bool isWhite(QRgb c) { return qRed(c) > 230 && qGreen(c) > 230 && qBlue(c) > 230; }

// Share of blue pixels in one column of the strip's picture.
double blueShare(const QImage& img, int x) {
    int blue = 0;
    for (int y = 0; y < img.height(); ++y) blue += isBlue(img.pixel(x, y));
    return double(blue) / img.height();
}

}  // namespace

TEST_F(FormTest, ProgressStripIsShownOnlyDuringAFillAndDrawsThePercentage) {
    form->Form_Load();
    form->show();
    ProgressStrip& strip = *ui().Picture1;
    QLabel* panel = statusPanel(ui().StatusBar1, QStringLiteral("progress"));
    EXPECT_EQ(strip.geometry().left(), panel->mapTo(ui().StatusBar1, QPoint(0, 0)).x());
    EXPECT_EQ(strip.width(), panel->width());
    EXPECT_EQ(strip.height(), ui().StatusBar1->height());
    EXPECT_TRUE(strip.isHidden());

    form->globals().lngProgress = 99;
    form->progress().begin(4);
    EXPECT_FALSE(strip.isHidden());
    EXPECT_EQ(form->globals().lngProgress, 0);
    EXPECT_EQ(strip.scaleWidth(), 4);

    form->progress().step();
    EXPECT_EQ(form->globals().lngProgress, 1);
    EXPECT_EQ(strip.shownText(), QStringLiteral("25%"));
    const QImage& img = strip.picture();
    ASSERT_EQ(img.size(), strip.size());
    // The first quarter is filled; the last quarter is not.
    EXPECT_GT(blueShare(img, 2), 0.9);
    EXPECT_TRUE(isWhite(img.pixel(img.width() - 3, img.height() / 2)));
    // The text in the middle, beyond the box, is printed in blue.
    bool blueText = false;
    for (int x = img.width() * 3 / 8; x < img.width() * 5 / 8; ++x) blueText = blueText || blueShare(img, x) > 0;
    EXPECT_TRUE(blueText);

    for (int i = 0; i < 4; ++i) form->progress().step();  // past the scale: clamped (ProgressMathTest)
    EXPECT_EQ(strip.shownText(), QStringLiteral("100%"));
    // Under the full box the text shows inverted: white on blue.
    bool invertedText = false;
    for (int x = img.width() / 3; x < img.width() * 2 / 3 && !invertedText; ++x)
        for (int y = 0; y < img.height() && !invertedText; ++y) invertedText = isWhite(img.pixel(x, y));
    EXPECT_TRUE(invertedText);

    form->progress().end();
    EXPECT_TRUE(strip.isHidden());
    EXPECT_TRUE(strip.shownText().isEmpty());
    EXPECT_TRUE(isWhite(strip.picture().pixel(2, 2)));
}

