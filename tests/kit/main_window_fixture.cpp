#include "tests/kit/main_window_fixture.h"

#include "app/controls.h"
#include "tests/kit/messages.h"

#include <algorithm>

namespace testkit {

using main_window::MainControl;

int RowOf(const main_window::frmEnumProcs& form, DWORD pid) {
    const auto& ids = form.Snapshot().lPIDs;
    auto found = std::find(ids.begin(), ids.end(), static_cast<int32_t>(pid));
    return found == ids.end() ? -1 : static_cast<int>(found - ids.begin());
}

FakeMainWindow::FakeMainWindow() { PumpMessages(); }

FakeMainWindow::~FakeMainWindow() { Close(); }

main_window::frmEnumProcs& FakeMainWindow::Open(int showCommand) {
    form = std::make_unique<main_window::frmEnumProcs>(os, ::GetModuleHandleA(nullptr));
    form->Show(showCommand);
    PumpMessages();
    return *form;
}

void FakeMainWindow::Close() {
    form.reset();
    PumpMessages();
}

std::string FakeMainWindow::Text(MainControl control) const { return app::GetText(Get(control)); }

std::vector<std::string> FakeMainWindow::Rows(MainControl list) const {
    std::vector<std::string> rows;
    for (int row = 0; row < app::RowCount(Get(list)); ++row) {
        rows.push_back(app::RowText(Get(list), row));
    }
    return rows;
}

void FakeMainWindow::Select(MainControl list, int row) { SelectRow(Get(list), row); }

void FakeMainWindow::Click(MainControl button) { SendClick(Get(button)); }

} // namespace testkit
