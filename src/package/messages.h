// Every text the stub itself shows, once: its message id, the key a language file
// names it by, and the English the stub carries. Translations travel in the
// package ("ilng", package_format.h) and replace these texts id by id; an id a
// translation lacks stays English.
//
// Placeholders are named, {title} and {minutes}, and only the texts listed with
// them here may hold them. A text with a count ({minutes}) has plural forms in a
// translation; the stub picks the form the language's rule gives for the count.
// The ids are stored in packages: a new text takes a new id at the end, and no id
// is ever reused for another text.
#pragma once

// X(id, key, english): SAVERSTUB_MESSAGES lists the texts in id order.
#define SAVERSTUB_MESSAGES(X)                                                                                      \
    X(kMsgCaption, "caption", "Message")                                                                           \
    X(kMsgInstallPrompt, "install_prompt",                                                                         \
      "You are about to install {title} as a Windows screen saver. Click on Proceed to complete the installation " \
      "or on Cancel to abort.\n\nClick on Preview to view the screen saver prior to installing it. Note that "     \
      "your mouse must remain stationary after you click on Preview until you wish to terminate the preview.")     \
    X(kMsgInstallButton, "install_button", "Install")                                                              \
    X(kMsgCancelButton, "cancel_button", "Cancel")                                                                 \
    X(kMsgPreviewButton, "preview_button", "&Preview")                                                             \
    X(kMsgMakeDefault, "make_default", "&Make this my default screen saver")                                       \
    X(kMsgWaitTime, "wait_time", "Wait time:")                                                                     \
    X(kMsgMinutesLabel, "minutes_label", "minutes")                                                                \
    X(kMsgWait, "wait", "Installing {title}\r\nPlease wait...")                                                    \
    X(kMsgWriteError, "write_error", "There has been an error writing your screen saver.")                         \
    X(kMsgPreviewWriteError, "preview_write_error", "Write error")                                                 \
    X(kMsgPreviewProcessError, "preview_process_error", "Process error")                                           \
    X(kMsgDoneButton, "done_button", "Done")                                                                       \
    X(kMsgSettingsButton, "settings_button", "Screen saver &settings")                                             \
    X(kMsgInstalled, "installed",                                                                                  \
      "{title} has been installed as a Windows screen saver. You can change its settings at any time with the "    \
      "Screen saver settings button, or later by searching Windows for \"screen saver\".\n\n")                     \
    X(kMsgActive, "active",                                                                                        \
      "Your new screen saver is active, and will blank your screen after a period of {minutes} minute(s) of "      \
      "inactivity.")                                                                                               \
    X(kMsgNotActive, "not_active",                                                                                 \
      "Your new screen saver is not yet active. Click Screen saver settings and choose it from the list.")         \
    X(kMsgCredit, "credit",                                                                                        \
      "This screen saver and its installer were made with saverpack, the screen saver packager. See the "          \
      "saverpack README for more.")                                                                                \
    X(kMsgRemoveQuestion, "remove_question", "Remove {title} from this computer?")                                 \
    X(kMsgRemoveError, "remove_error", "There has been an error removing {title}.")                                \
    X(kMsgRemoved, "removed", "{title} has been removed from this computer.")                                      \
    X(kMsgRemovedAtRestart, "removed_at_restart",                                                                  \
      "{title} has been removed from this computer.\n\nIt was in use: its last file goes when Windows restarts.")

namespace package {

enum MessageId : unsigned char {
#define SAVERSTUB_MESSAGE_ID(id, key, english) id,
    SAVERSTUB_MESSAGES(SAVERSTUB_MESSAGE_ID)
#undef SAVERSTUB_MESSAGE_ID
    kMessageCount
};

}  // namespace package
