// File dialog filters written the Windows way, turned into Qt's filter text.
#include "FileDialogFilter.h"

#include <gtest/gtest.h>

using Sondrel::QtFileFilter;

TEST(FileDialogFilter, TheHexFilterBecomesQtsFilterWithAllFilesAsStar) {
    EXPECT_EQ(QtFileFilter("Hex Files (*.hex)|*.hex|All Files (*.*)|*.*"),
              "Hex Files (*.hex);;All Files (*)");
}

TEST(FileDialogFilter, DescriptionsWithoutPatternsGetThemAppended) {
    EXPECT_EQ(QtFileFilter("Spreadsheets|*.xlsx;*.xls"), "Spreadsheets (*.xlsx *.xls)");
    EXPECT_EQ(QtFileFilter("Text (*.txt) |*.txt"), "Text (*.txt)")
        << "the patterns shown are replaced, not repeated";
}

TEST(FileDialogFilter, IncompleteAndEmptyEntriesAreDropped) {
    EXPECT_EQ(QtFileFilter(""), "");
    EXPECT_EQ(QtFileFilter("Hex Files (*.hex)"), "");
    EXPECT_EQ(QtFileFilter("Hex|*.hex|Lonely"), "Hex (*.hex)");
    EXPECT_EQ(QtFileFilter("|*.hex|Csv|*.csv|Nothing|"), "Csv (*.csv)");
}
