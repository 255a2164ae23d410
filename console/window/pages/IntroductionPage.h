// TIntroductionPage: The "Introduction" tab (kept hidden by the window): a short description of the
// program.
//
// The controls carry the names the rest of the console uses as their objectNames; Form() gives
// them to the window.
// Main (GUI) thread only; the controls are children of the page.
#pragma once

#include <QWidget>

#include <memory>

namespace Ui {
class TIntroductionPage;
}

namespace Sondrel {

class TIntroductionPage : public QWidget {
    Q_OBJECT
public:
    explicit TIntroductionPage(QWidget* parent = nullptr);
    ~TIntroductionPage() override;

    Ui::TIntroductionPage& Form() { return *FUi; }

private:
    std::unique_ptr<Ui::TIntroductionPage> FUi;
};

} // namespace Sondrel
