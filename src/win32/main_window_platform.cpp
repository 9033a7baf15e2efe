#include "analysis/radar_dialog.h"
#include "app/commands.h"
#include "app/menu_model.h"
#include "app/platform_calls.h"
#include "app/progress.h"
#include "base/file_lookup.h"
#include "base/safe_writer.h"
#include "flows/command_runner.h"
#include "flows/list_flow.h"
#include "flows/set_tile_flow.h"
#include "map/map_overlay.h"
#include "objectives/find.h"
#include "objectives/unused_ids.h"
#include "scans/scan_parameters.h"
#include "terrain/l2_info.h"
#include "tools/id_mover.h"
#include "win32/form.h"
#include "win32/main_window.h"
#include "win32/map_pane.h"
#include "win32/panels.h"

#include <algorithm>
#include <array>
#include <commctrl.h>
#include <commdlg.h>
#include <map>
#include <shellapi.h>
#include <shlobj.h>

// The platform seam of the native program: message boxes, the common file dialogs, the
// dialogs laid out at run time, the list's and panels' hooks, the progress window and the
// registry.
namespace vantor::win32 {

namespace {

// "Object Export file|*.csv||" as the common dialog's filter: pairs ended by NULs.
std::wstring dialogFilter(const std::string& filter) {
    std::wstring out = widen(filter);
    if (out.empty()) {
        out = L"All files|*.*||";
    }
    std::replace(out.begin(), out.end(), L'|', L'\0');
    out.push_back(L'\0');
    return out;
}

const char* roleName(FileRequestRole role) {
    switch (role) {
    case FileRequestRole::Terrain:
        return "terrain";
    case FileRequestRole::Source:
        return "source";
    case FileRequestRole::Output:
        return "output";
    case FileRequestRole::Script:
        return "script";
    case FileRequestRole::Version:
        return "version";
    case FileRequestRole::Folder:
        return "folder";
    case FileRequestRole::Baseline:
        return "baseline";
    }
    return "file";
}

} // namespace

void MainWindow::logLine(const std::string& line) {
    if (options_.log.empty()) {
        return;
    }
    // The whole log written aside each time: a script's log is a few dozen lines.
    logText_ += line + "\n";
    std::string error;
    writeFileAside(toFsPath(options_.log), logText_, error);
}

MessageAnswer MainWindow::messageBox(const MessageBoxRequest& r) {
    const bool yesNo = r.buttons == MessageButtons::YesNo;
    if (scripted()) { // a scripted run says it in its log and answers Yes
        logLine("message: " + (r.title.empty() ? std::string("Error") : r.title) + ": " + r.text);
        return yesNo ? MessageAnswer::Yes : MessageAnswer::Ok;
    }
    UINT flags = yesNo ? MB_YESNO : MB_OK;
    switch (r.icon) {
    case MessageIcon::Information:
        flags |= MB_ICONINFORMATION;
        break;
    case MessageIcon::Warning:
        flags |= MB_ICONWARNING;
        break;
    case MessageIcon::Error:
        flags |= MB_ICONERROR;
        break;
    case MessageIcon::Question:
        flags |= MB_ICONQUESTION;
        break;
    case MessageIcon::None:
        break;
    }
    const int answer =
        MessageBoxW(r.ownedByMainWindow ? window_ : nullptr, widen(r.text).c_str(),
                    widen(r.title.empty() ? std::string("Error") : r.title).c_str(), flags);
    if (!yesNo) {
        return MessageAnswer::Ok;
    }
    return answer == IDYES ? MessageAnswer::Yes : MessageAnswer::No;
}

FileRequestResult MainWindow::fileDialog(const FileRequest& r) {
    if (scripted()) { // the answers given on the command line, by role
        std::deque<std::string>& queue = options_.answers[r.role];
        if (queue.empty()) {
            logLine(std::string("file: ") + roleName(r.role) + ": " + r.title + ": cancelled");
            return {};
        }
        FileRequestResult chosen{FileRequestStatus::Chosen, queue.front(), 0};
        queue.pop_front();
        logLine(std::string("file: ") + roleName(r.role) + ": " + r.title + ": " + chosen.path);
        return chosen;
    }
    if (r.kind == FileDialogKind::Folder) {
        const std::wstring title = widen(r.title);
        BROWSEINFOW info{};
        info.hwndOwner = window_;
        info.lpszTitle = title.c_str();
        info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
        PIDLIST_ABSOLUTE chosen = SHBrowseForFolderW(&info);
        if (chosen == nullptr) {
            return {};
        }
        std::wstring path(32768, L'\0');
        const bool got = SHGetPathFromIDListEx(chosen, path.data(), static_cast<DWORD>(path.size()),
                                               GPFIDL_DEFAULT) != FALSE;
        CoTaskMemFree(chosen);
        if (!got) {
            return {FileRequestStatus::Error, "", 0};
        }
        path.resize(wcslen(path.c_str()));
        return {FileRequestStatus::Chosen, narrow(path), 0};
    }
    std::wstring buffer(32768, L'\0');
    if (!r.initialName.empty() && r.initialName.find('*') == std::string::npos) {
        const std::wstring name = widen(r.initialName);
        std::copy(name.begin(), name.end(), buffer.begin());
    }
    const std::wstring filter = dialogFilter(r.filter);
    const std::wstring title = widen(r.title);
    const std::wstring folder = widen(r.initialFolder);
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = window_;
    ofn.lpstrFilter = filter.c_str();
    ofn.lpstrFile = buffer.data();
    ofn.nMaxFile = static_cast<DWORD>(buffer.size());
    ofn.lpstrTitle = title.c_str();
    ofn.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
    ofn.Flags = OFN_EXPLORER | OFN_NOCHANGEDIR | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST;
    if (r.kind == FileDialogKind::Open) {
        ofn.Flags |= OFN_FILEMUSTEXIST;
    }
    const BOOL ok =
        r.kind == FileDialogKind::Open ? GetOpenFileNameW(&ofn) : GetSaveFileNameW(&ofn);
    if (!ok) {
        const DWORD code = CommDlgExtendedError();
        return code == 0 ? FileRequestResult{}
                         : FileRequestResult{FileRequestStatus::Error, "", static_cast<int>(code)};
    }
    buffer.resize(wcslen(buffer.c_str()));
    return {FileRequestStatus::Chosen, narrow(buffer), 0};
}

void MainWindow::buildPlatform() {
    Platform& p = platform_;
    p.messageBox = [this](const MessageBoxRequest& r) { return messageBox(r); };
    p.requestFile = [this](const FileRequest& r) { return fileDialog(r); };
    p.requestText = [this](const TextRequest& r) -> std::optional<std::string> {
        Form form(window_, r.title, 300);
        HWND field = form.edit(r.label, r.initial);
        form.buttons({{"OK", 1}, {"Cancel", 0}}, 0);
        std::string text;
        form.pressed = [&](int) {
            text = windowText(field);
            return true;
        };
        if (form.run() != 1) {
            return std::nullopt;
        }
        return text;
    };
    p.setWindowTitle = [this](const std::string& title) { setWindowText(window_, title); };
    p.beep = [] { MessageBeep(MB_OK); };
    p.postCommand = [this](int command) { runner_->post(command); };
    p.postCloseRequest = [this] { runner_->postClose(); };
    p.startHelp = [this] {
        if (options_.manualPath.empty()) {
            return false;
        }
        const auto started = reinterpret_cast<INT_PTR>(ShellExecuteW(
            window_, L"open", widen(options_.manualPath).c_str(), nullptr, nullptr, SW_SHOWNORMAL));
        return started > 32;
    };
    p.menuChanged = [this](const MenuModel&) {
        if (runner_ == nullptr || !runner_->busy()) {
            renderMenus();
        }
    };
    p.showStatus = [this](const std::string& text) { showStatus(text); };
    connectDialogs();
    connectLists();
    connectProgress();
    connectSettings();
}

void MainWindow::connectDialogs() {
    Platform& p = platform_;
    p.editScanParameters = [this](ScanDialogModel& model) {
        Form form(window_, model.title, 120);
        std::map<HWND, ScanField> fields;
        std::map<ScanField, HWND> edits;
        const auto field = [&](ScanField f, const std::string& label, bool enabled = true) {
            HWND e = form.edit(label, std::to_string(scanFieldValue(model, f)));
            EnableWindow(e, enabled);
            fields[e] = f;
            edits[f] = e;
        };
        const char* labels[] = {"Start at %s X coordinate:", "Start at %s Y coordinate:",
                                "End at %s X coordinate:", "End at %s Y coordinate:"};
        const auto area = [&](const char* title, const char* unit, std::array<ScanField, 4> fs) {
            form.text(title, 1, true);
            for (std::size_t i = 0; i < fs.size(); ++i) {
                std::string label = labels[i];
                label.replace(label.find("%s"), 2, unit);
                field(fs[i], label);
            }
        };
        area("Map Search Area", "Map",
             {ScanField::StartMapX, ScanField::StartMapY, ScanField::EndMapX, ScanField::EndMapY});
        area("Sector Search Area", "Sect",
             {ScanField::StartSectX, ScanField::StartSectY, ScanField::EndSectX,
              ScanField::EndSectY});
        form.text("Object Selection Info", 1, true);
        const bool objects = model.objectFieldsEnabled;
        field(ScanField::StartingObjectId, "Starting Object ID#:", objects);
        HWND range = form.combo("Search Range (+/- tiles):", {"0", "1", "2", "3", "4"},
                                model.parameters.searchRange);
        field(ScanField::Priority, "Priority (0 - 100):", objects);
        field(ScanField::Supply, "Supply (0 - 255):", objects);
        const std::vector<std::string> countries(countryNames.begin(), countryNames.end());
        HWND owner = form.combo("Owner of Objects", countries, model.parameters.owner);
        HWND controller =
            form.combo("Controller of Objects", countries, model.parameters.controller);
        EnableWindow(owner, objects);
        EnableWindow(controller, objects);
        if (!model.appendEnabled) {
            model.appendToOutput = false;
        }
        HWND write = form.check("Create/Scan Objects && Write to File", model.writeToFile);
        HWND append = form.check("Append New Objects to End of File.", model.appendToOutput);
        HWND text = form.check("Output Text Error Report File", model.textReport);
        EnableWindow(append, model.appendEnabled);
        EnableWindow(text, model.textReportEnabled);
        form.buttons({{"Begin", 1}, {"Cancel", 0}}, 0);
        form.changed = [&](HWND control, int code) {
            if (const auto f = fields.find(control); f != fields.end() && code == EN_CHANGE) {
                const FieldTyped typed = typeScanField(model, f->second, windowText(control));
                if (typed.beep) {
                    MessageBeep(MB_OK);
                }
                if (typed.replaced) {
                    form.set(control, std::to_string(scanFieldValue(model, f->second)));
                }
                if (typed.moved) {
                    form.set(edits[*typed.moved],
                             std::to_string(scanFieldValue(model, *typed.moved)));
                }
            } else if (code == CBN_SELCHANGE) {
                const int i = static_cast<int>(SendMessageW(control, CB_GETCURSEL, 0, 0));
                (control == range   ? model.parameters.searchRange
                 : control == owner ? model.parameters.owner
                                    : model.parameters.controller) = i;
            } else if (code == BN_CLICKED) {
                const bool on = SendMessageW(control, BM_GETCHECK, 0, 0) == BST_CHECKED;
                if (control == write) {
                    toggleWriteToFile(model);
                    EnableWindow(append, model.appendEnabled);
                } else if (control == append) {
                    model.appendToOutput = on;
                } else if (control == text) {
                    model.textReport = on;
                }
            }
        };
        form.pressed = [&](int result) {
            if (result == 1) {
                if (const std::optional<std::string> refused = beginCheck(model)) {
                    showMessage(platform_, *refused, "Information", MessageIcon::Warning);
                    return false;
                }
            }
            return true;
        };
        return form.run() == 1;
    };
    p.editRadarSettings = [this](RadarDialogModel& model) {
        Form form(window_, radarDialogTitle, 120);
        std::array<HWND, 3> edits{};
        for (std::size_t f = 0; f < 3; ++f) {
            edits[f] = form.edit(radarFieldLabels[f], model.texts[f]);
        }
        form.buttons({{"Scan", 1}, {"Cancel", 0}}, 0);
        form.changed = [&](HWND control, int code) {
            for (std::size_t f = 0; f < 3; ++f) {
                if (control == edits[f] && code == EN_CHANGE) {
                    editRadarField(model, static_cast<RadarDialogField>(f), windowText(control));
                }
            }
        };
        form.pressed = [&](int result) {
            if (result != 1) {
                return true;
            }
            for (std::size_t f = 0; f < 3; ++f) {
                model.texts[f] = windowText(edits[f]);
            }
            if (const std::optional<std::string> problem = confirmRadarDialog(model)) {
                showMessage(platform_, *problem, radarDialogTitle, MessageIcon::Warning);
                return false;
            }
            return true;
        };
        return form.run() == 1;
    };
    p.editIdLimits = [this](IdLimitsDialogModel& model) {
        Form form(window_, "Move ID's and Links ", 120);
        HWND oldStart = form.edit("Move ID's Starting at", model.oldStart);
        HWND oldEnd = form.edit("and ID's Endting at", model.oldEnd);
        HWND newStart = form.edit("to ID's Starting at", model.newStart);
        form.buttons({{"Move ID's", static_cast<int>(IdToolChoice::MoveIds)},
                      {"Fix Bridge Offset", static_cast<int>(IdToolChoice::FixBridgeOffsets)},
                      {"Cancel", static_cast<int>(IdToolChoice::Cancel)}},
                     static_cast<int>(IdToolChoice::Cancel));
        form.pressed = [&](int result) {
            if (result == static_cast<int>(IdToolChoice::MoveIds)) {
                model.oldStart = windowText(oldStart);
                model.oldEnd = windowText(oldEnd);
                model.newStart = windowText(newStart);
            }
            return true;
        };
        return static_cast<IdToolChoice>(form.run());
    };
    p.pickTile = [this](TilePick& pick) {
        Form form(window_, "Set Tile", 420);
        const TerrainMatrix& m = state_.terrain.matrix;
        HWND mapX = form.number("Map X", pick.x, 0, std::max<std::int32_t>(0, m.width - 1));
        HWND mapY = form.number("Map Y", pick.y, 0, std::max<std::int32_t>(0, m.height - 1));
        HWND post = form.text("", 2);
        form.text(tileChoicesHeading);
        HWND choices = form.list(10);
        HWND tile = form.edit("Tile ID", "");
        // What the tile would do: the faults it makes in bold, and all of it in red when it
        // makes any or cannot be set.
        HWND effect = form.text("", 3);
        HWND made = form.text("", 2, true);
        HWND rest = form.text("", 2);
        form.buttons({{"Set Tile", 1}, {"Cancel", 0}}, 0);
        std::vector<std::uint32_t> tiles;
        TilePickEffect said;
        const auto where = [&] {
            return std::pair{static_cast<std::int32_t>(std::atoi(windowText(mapX).c_str())),
                             static_cast<std::int32_t>(std::atoi(windowText(mapY).c_str()))};
        };
        const auto showEffect = [&] {
            const auto [x, y] = where();
            said = tilePickEffect(state_, platform_, x, y, windowText(tile));
            std::array<std::string, 3> texts;
            for (std::size_t i = 0; i < said.lines.size(); ++i) {
                std::string& text = texts[i < said.boldFrom ? 0 : i == said.boldFrom ? 1 : 2];
                text += (text.empty() ? "" : "\r\n") + said.lines[i];
            }
            const std::array<HWND, 3> labels{effect, made, rest};
            for (std::size_t i = 0; i < labels.size(); ++i) {
                form.set(labels[i], texts[i]);
                form.setWarning(labels[i], said.warning);
            }
            EnableWindow(form.button(1), said.settable);
        };
        const auto showPost = [&] {
            const auto [x, y] = where();
            form.set(post, postStatusText(state_.theater, state_.terrain.matrix, x, y));
            SendMessageW(choices, LB_RESETCONTENT, 0, 0);
            tiles.clear();
            for (const TileChoice& c : tileChoicesAt(state_, x, y)) {
                const TileChoiceRow row = tileChoiceRow(c);
                const std::string line = row.text[0] + "   " + row.text[1] + "   mends " +
                                         row.text[2] + "   (" + row.text[3] + " " +
                                         tileChoiceColumns[3] + ")";
                SendMessageW(choices, LB_ADDSTRING, 0,
                             reinterpret_cast<LPARAM>(widen(line).c_str()));
                tiles.push_back(row.tile);
            }
            if (tiles.empty()) {
                SendMessageW(choices, LB_ADDSTRING, 0,
                             reinterpret_cast<LPARAM>(widen(noTileFits).c_str()));
                showEffect();
            } else {
                SendMessageW(choices, LB_SETCURSEL, 0, 0);
                form.set(tile, std::to_string(tiles.front()));
                showEffect();
            }
        };
        form.changed = [&](HWND control, int code) {
            if ((control == mapX || control == mapY) && code == EN_CHANGE) {
                showPost();
            } else if (control == choices && code == LBN_SELCHANGE) {
                const auto at = static_cast<std::size_t>(SendMessageW(choices, LB_GETCURSEL, 0, 0));
                if (at < tiles.size()) {
                    form.set(tile, std::to_string(tiles[at]));
                    showEffect();
                }
            } else if (control == tile && code == EN_CHANGE) {
                showEffect();
            } else if (control == choices && code == LBN_DBLCLK && said.settable) {
                form.press(1); // a fitting tile double-clicked is set
            }
        };
        form.pressed = [&](int result) { return result != 1 || said.settable; };
        showPost();
        if (form.run() != 1 || !said.settable) {
            return false;
        }
        const auto [x, y] = where();
        pick.x = x;
        pick.y = y;
        pick.tile = said.tile;
        return true;
    };
    p.showFindL2Info = [this] {
        if (findL2Info_ == nullptr) {
            findL2Info_ = std::make_unique<Form>(window_, "Find L2 Info", 140);
            Form& form = *findL2Info_;
            HWND mapX = form.edit("Map X", "");
            HWND mapY = form.edit("Map Y", "");
            HWND tileId = form.edit("Tile ID#", "");
            HWND elevation = form.edit("Elevation", "");
            SendMessageW(tileId, EM_SETREADONLY, TRUE, 0);
            SendMessageW(elevation, EM_SETREADONLY, TRUE, 0);
            form.buttons({{"&Find", 1}, {"&Exit", 0}}, 0);
            form.pressed = [this, mapX, mapY, tileId, elevation](int result) {
                if (result == 1) {
                    const L2Info info =
                        lookupL2Info(state_.terrain.matrix, windowText(mapX), windowText(mapY));
                    findL2Info_->set(tileId, info.tileIdText);
                    findL2Info_->set(elevation, info.elevationText);
                    SetFocus(mapX);
                    return false;
                }
                PostMessageW(window_, WM_COMMAND, cmd::CloseFindL2Info, 0);
                return false;
            };
            form.dismissed = [this] { PostMessageW(window_, WM_COMMAND, cmd::CloseFindL2Info, 0); };
        }
        findL2Info_->show();
    };
    p.closeFindL2Info = [this] { findL2Info_.reset(); };
}

void MainWindow::connectLists() {
    Platform& p = platform_;
    p.listChanged = [this](ListChange change) { showList(change != ListChange::DataChanged); };
    p.showListRow = [this](std::size_t position) {
        if (listClosed_) {
            listClosed_ = false;
            layOut();
        }
        SendMessageW(list_, LVM_ENSUREVISIBLE, position, FALSE);
        map_->showHighlighted();
    };
    p.showFind = [this] {
        if (find_ == nullptr) {
            find_ = std::make_unique<Form>(window_, "Find Object", 320);
            Form& form = *find_;
            const ListMode mode = state_.list.find.createdForListMode;
            std::array<HWND, 6> fields{};
            for (int field = 1; field <= 6; ++field) {
                const FindFieldText text = findFieldText(mode, field);
                fields[static_cast<std::size_t>(field - 1)] = form.radio(text.label, field == 1);
                EnableWindow(fields[static_cast<std::size_t>(field - 1)], text.enabled);
            }
            HWND prompt = form.text("");
            findText_ = form.edit("", "");
            HWND selectWhenFound =
                form.check("Select When Found", state_.list.find.selectWhenFound);
            HWND fromTop =
                form.check("Always start search from top", state_.list.find.alwaysFromTop);
            form.buttons({{"Find Next", 1}, {"Close", 0}}, 0);
            const auto choose = [this, fields, prompt](int field) {
                chooseFindField(state_.list.find, field);
                for (int f = 1; f <= 6; ++f) {
                    SendMessageW(fields[static_cast<std::size_t>(f - 1)], BM_SETCHECK,
                                 f == state_.list.find.field ? BST_CHECKED : BST_UNCHECKED, 0);
                }
                find_->set(prompt, findFieldText(state_.list.find.createdForListMode,
                                                 state_.list.find.field)
                                       .prompt);
            };
            choose(state_.list.find.field);
            form.changed = [this, fields, choose, selectWhenFound, fromTop](HWND control,
                                                                            int code) {
                if (code != BN_CLICKED) {
                    return;
                }
                for (int f = 1; f <= 6; ++f) {
                    if (control == fields[static_cast<std::size_t>(f - 1)]) {
                        choose(f);
                    }
                }
                if (control == selectWhenFound) {
                    toggleSelectWhenFound(state_.list.find);
                    SendMessageW(control, BM_SETCHECK,
                                 state_.list.find.selectWhenFound ? BST_CHECKED : BST_UNCHECKED, 0);
                } else if (control == fromTop) {
                    toggleAlwaysFromTop(state_.list.find);
                    SendMessageW(control, BM_SETCHECK,
                                 state_.list.find.alwaysFromTop ? BST_CHECKED : BST_UNCHECKED, 0);
                }
            };
            form.pressed = [this](int result) {
                if (result == 1) {
                    const FindOutcome outcome =
                        findNext(state_.list.model, state_.list.find, windowText(findText_));
                    if (outcome.found) {
                        showList(false);
                        platform_.showListRow(outcome.position);
                    } else {
                        showMessage(platform_, outcome.message, notFoundTitle,
                                    MessageIcon::Information);
                    }
                    SetFocus(findText_);
                    return false;
                }
                PostMessageW(window_, WM_COMMAND, cmd::CloseFindDialog, 0);
                return false;
            };
            form.dismissed = [this] { PostMessageW(window_, WM_COMMAND, cmd::CloseFindDialog, 0); };
        }
        find_->show();
    };
    p.closeFind = [this] { find_.reset(); };
    p.showUnusedIds = [this] {
        Form form(window_, unusedIdsTitle, 520);
        form.text("Select All, Copy and Paste into Notepad");
        HWND box = form.textBox("", 24, true);
        form.buttons({{"Close", 0}, {"List By Single ID's", 1}, {"List By ID Ranges", 2}}, 0);
        form.pressed = [&](int result) {
            if (result == 0) {
                return true;
            }
            form.set(box, unusedIdListing(state_, platform_, result == 2));
            return false;
        };
        form.run();
    };
    p.showAudit = [this] {
        audit_->showAudit(state_.audit.last, state_.theater);
        map_->setSelectedFinding(-1);
        map_->update();
        if (!state_.audit.done) {
            if (!runner_->busy()) {
                showSide(side_ == 0 ? -1 : side_);
            }
            return;
        }
        auditClosed_ = false;
        showSide(0);
    };
    p.showDiff = [this] {
        comparison_->showDiff(state_.diff.last);
        map_->setChanges(state_.diff.last.objectives
                             ? objectChangeRows(*state_.diff.last.objectives)
                             : std::vector<ObjectChangeRow>{});
        map_->setSelectedChange(std::nullopt);
        showSide(1);
    };
}

void MainWindow::connectProgress() {
    Platform& p = platform_;
    p.progressOpen = [this](const ProgressView& view) {
        if (progress_ == nullptr) {
            progress_ = std::make_unique<Form>(window_, view.caption, 320);
            progress_->asks = false;
            progressLabel_ = progress_->text(view.label);
            progressCounter_ = progress_->text(view.counter);
            progressBar_ = progress_->control(PROGRESS_CLASSW, 0, 18);
            SendMessageW(progressBar_, PBM_SETRANGE32, 0, 4096);
            progress_->buttons({{"Abort", 0}}, 0);
            progress_->pressed = [this](int) {
                requestAbort(state_);
                return false;
            };
            progress_->dismissed = [this] { requestAbort(state_); };
            EnableWindow(window_, FALSE); // modal: nothing else is reached meanwhile
        }
        platform_.progressReport(view);
        progress_->show();
        progressPumped_ = GetTickCount();
    };
    p.progressReport = [this](const ProgressView& view) {
        if (progress_ == nullptr) {
            return;
        }
        setWindowText(progress_->window(), view.caption);
        progress_->set(progressLabel_, view.label);
        progress_->set(progressCounter_, view.counter);
        SendMessageW(progressBar_, PBM_SETPOS, static_cast<WPARAM>(std::min(view.position, 4096)),
                     0);
        // A scripted run's picture of it: the first long work, a quarter done.
        if (!progressShot_ && view.position >= 1024 && view.position < 4096 &&
            IsWindowVisible(progress_->window())) {
            progressShot_ = true;
            takeShot(progress_->window(), "progress", false);
        }
        // The window draws itself and takes Abort and Esc between rows of work, at most every
        // 20 ms: a scan reports every post it looks at.
        if (GetTickCount() - progressPumped_ >= 20) {
            progressPumped_ = GetTickCount();
            MSG message;
            while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
                if (message.message == WM_QUIT) {
                    PostQuitMessage(static_cast<int>(message.wParam));
                    break;
                }
                if (!Form::dialogMessage(message)) {
                    TranslateMessage(&message);
                    DispatchMessageW(&message);
                }
            }
        }
    };
    p.progressClose = [this] {
        if (progress_ != nullptr) {
            EnableWindow(window_, TRUE);
            progress_.reset();
            SetActiveWindow(window_);
        }
    };
}

// The settings store: the registry, under the key path the core names, in HKEY_CURRENT_USER,
// each value a string (REG_SZ), as the Qt program writes them there through QSettings.
void MainWindow::connectSettings() {
    Platform& p = platform_;
    p.readSetting = [](const std::string& key, const std::string& name) {
        SettingRead read;
        HKEY handle = nullptr;
        if (RegCreateKeyExW(HKEY_CURRENT_USER, widen(key).c_str(), 0, nullptr, 0, KEY_READ, nullptr,
                            &handle, nullptr) != ERROR_SUCCESS) {
            read.keyOpened = false;
            return read;
        }
        const std::wstring value = widen(name);
        DWORD type = 0;
        DWORD size = 0;
        if (RegQueryValueExW(handle, value.c_str(), nullptr, &type, nullptr, &size) ==
            ERROR_SUCCESS) {
            if (type == REG_SZ || type == REG_EXPAND_SZ) {
                std::wstring text(size / sizeof(wchar_t) + 1, L'\0');
                DWORD bytes = static_cast<DWORD>(text.size() * sizeof(wchar_t));
                if (RegQueryValueExW(handle, value.c_str(), nullptr, nullptr,
                                     reinterpret_cast<BYTE*>(text.data()),
                                     &bytes) == ERROR_SUCCESS) {
                    text.resize(wcslen(text.c_str()));
                    read.value = narrow(text);
                }
            } else if (type == REG_DWORD) {
                DWORD number = 0;
                DWORD bytes = sizeof(number);
                if (RegQueryValueExW(handle, value.c_str(), nullptr, nullptr,
                                     reinterpret_cast<BYTE*>(&number), &bytes) == ERROR_SUCCESS) {
                    read.value = std::to_string(number);
                }
            }
        }
        RegCloseKey(handle);
        return read;
    };
    p.writeSetting = [](const std::string& key, const std::string& name, const std::string& text) {
        HKEY handle = nullptr;
        if (RegCreateKeyExW(HKEY_CURRENT_USER, widen(key).c_str(), 0, nullptr, 0, KEY_WRITE,
                            nullptr, &handle, nullptr) != ERROR_SUCCESS) {
            return false;
        }
        const std::wstring value = widen(text);
        const bool ok = RegSetValueExW(handle, widen(name).c_str(), 0, REG_SZ,
                                       reinterpret_cast<const BYTE*>(value.c_str()),
                                       static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))) ==
                        ERROR_SUCCESS;
        RegCloseKey(handle);
        return ok;
    };
}

} // namespace vantor::win32
