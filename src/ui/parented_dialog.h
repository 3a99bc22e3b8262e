#pragma once

#include <QPointer>

#include <utility>

namespace velmora {

// A dialog on the heap, a child of the window it is shown for, for one modal
// run. Should that window be deleted while the dialog runs (the program
// closing it from inside the dialog's event loop), its children go with it,
// the dialog among them: a dialog on the stack would then be freed twice.
// Here the guard deletes the dialog only while it still exists, and Gone()
// tells the caller that the window it was shown for may be gone as well, so
// nothing of it may be touched after the run.
template <typename Dialog> class ParentedDialog {
public:
    template <typename... Args>
    explicit ParentedDialog(Args&&... args) : dialog_(new Dialog(std::forward<Args>(args)...)) {}
    ~ParentedDialog() { delete dialog_.data(); }
    ParentedDialog(const ParentedDialog&) = delete;
    ParentedDialog& operator=(const ParentedDialog&) = delete;

    Dialog& operator*() const { return *dialog_; }
    Dialog* operator->() const { return dialog_.data(); }
    Dialog* get() const { return dialog_.data(); }
    // The dialog was deleted while it ran, with its parent window.
    bool Gone() const { return dialog_.isNull(); }

private:
    QPointer<Dialog> dialog_;
};

} // namespace velmora
