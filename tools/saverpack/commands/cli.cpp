#include "commands/cli.h"

#include <string>

namespace saverpack {

// SAVERPACK_VERSION comes from the project's version, the one place it is set.
const char kVersionText[] = "saverpack " SAVERPACK_VERSION "\n";

const char kMainUsage[] =
    "Usage: saverpack build --saver FILE [options] --output OUT\n"
    "       saverpack inspect FILE [--verify]\n"
    "       saverpack extract FILE DEST\n"
    "       saverpack languages [--print TAG]\n"
    "       saverpack winget INSTALLER --id PUBLISHER.NAME --installer-url URL --license TEXT [options]\n"
    "       saverpack COMMAND --help\n"
    "       saverpack --help | --version\n"
    "\n"
    "Makes screen-saver installers: appends a package holding a saver, and optionally\n"
    "a document and a logo, to a copy of the installer stub.\n"
    "\n"
    "  build      write an installer\n"
    "  inspect    check an installer with the installer's own reader and describe it\n"
    "  extract    write the saver held in an installer to a file\n"
    "  languages  list the languages the installer speaks, or print one's language file\n"
    "  winget     write the manifest that publishes an installer with winget\n"
    "\n"
    "Exit status: 0 success, 1 failure or a damaged installer, 2 wrong usage.\n";

const char kBuildUsage[] =
    "Usage: saverpack build --saver FILE [--title TEXT] [--description TEXT]\n"
    "                       [--colour RRGGBB] [--timeout MINUTES] [--name FILENAME]\n"
    "                       [--document FILE] [--logo FILE] [--level 0-9]\n"
    "                       [--publisher TEXT] [--version TEXT] [--url URL] [--no-uninstall]\n"
    "                       [--icon FILE.ico] [--copyright TEXT]\n"
    "                       [--languages all|none|TAG,TAG...] [--language-file FILE]...\n"
    "                       [--stub STUB] --output OUT\n"
    "\n"
    "Writes OUT: the stub followed by a package holding the saver FILE. OUT wears the\n"
    "saver's icon and version information naming the title, the publisher and the\n"
    "version; what the options leave open comes from the saver's own resources.\n"
    "\n"
    "  --stub STUB         the installer stub; it must not already carry a package.\n"
    "                      Without it: the file SAVERPACK_STUB names, if that is set;\n"
    "                      else saverstub.exe beside saverpack's own executable;\n"
    "                      else ../share/saverpack/saverstub.exe from there\n"
    "  --saver FILE        the screen-saver program to install\n"
    "  --title TEXT        the saver's display name, UTF-8, at most 261 bytes (default: the\n"
    "                      saver's string 1, else its FileDescription, else its file name)\n"
    "  --description TEXT  text shown near the bottom of the screen, UTF-8, at most 293 bytes\n"
    "  --colour RRGGBB     theme colour, red first as on the web (default 2060C0)\n"
    "  --timeout MINUTES   proposed screen-saver timeout, 0 to 9999 (default 10)\n"
    "  --name FILENAME     file name the saver is installed under, ASCII, at most 293 characters,\n"
    "                      ending in .scr (default: the saver's own file name)\n"
    "  --document FILE     a document opened after installation\n"
    "  --logo FILE         a .png or .bmp picture drawn at the top left, at its own size on a\n"
    "                      100 % display and scaled with the display; transparent and soft\n"
    "                      edges are blended over the backdrop\n"
    "  --level 0-9         zlib compression level (default 9)\n"
    "  --publisher TEXT    who makes the saver, for its Apps & features entry; UTF-8,\n"
    "                      at most 128 bytes (default: the saver's CompanyName)\n"
    "  --version TEXT      its version, at most 128 bytes, none of \\/:*?\"<>| (winget's rule)\n"
    "                      (default: the saver's ProductVersion or FileVersion, in digits and dots)\n"
    "  --url URL           its web page, http:// or https://, at most 260 bytes\n"
    "  --no-uninstall      register nothing for removal: without it the installer adds an\n"
    "                      uninstaller and an entry in Settings > Apps (\"ScreenSaver_\" and\n"
    "                      the saver's file name)\n"
    "  --icon FILE.ico     the installer's icon, a Windows .ico file (default: the saver's\n"
    "                      first icon, else the stub's)\n"
    "  --copyright TEXT    the installer's LegalCopyright, UTF-8, at most 256 bytes\n"
    "  --languages LIST    the built-in translations to carry: all (default), none, or tags\n"
    "                      joined by \",\" (de,fr,pt-BR); `saverpack languages` lists them.\n"
    "                      English is always there; the installer speaks the user's\n"
    "                      Windows display language when it carries it, else English\n"
    "  --language-file FILE  a translation of your own (start from `saverpack languages\n"
    "                      --print TAG`); it adds its language or replaces the built-in one\n"
    "                      of the same tag; may be given more than once\n"
    "  --output OUT        the installer to write; it replaces OUT only once complete\n"
    "\n"
    "Exit status: 0 written, 1 refused or failed (OUT is then left as it was), 2 wrong usage.\n";

const char kInspectUsage[] =
    "Usage: saverpack inspect FILE [--verify]\n"
    "\n"
    "Checks the installer FILE with the installer's own reader and prints the header\n"
    "fields, each chunk's offset, length and kind, the saver's installed name and\n"
    "compressed size, the document's size, the logo's size, depth and alpha, the\n"
    "Apps & features entry it registers, and the installer's icon and version\n"
    "information; or why the package is damaged.\n"
    "\n"
    "  --verify  also inflate the saver, keeping nothing, and report its size\n"
    "\n"
    "Exit status: 0 valid, 1 damaged or unreadable, 2 wrong usage.\n";

const char kExtractUsage[] =
    "Usage: saverpack extract FILE DEST\n"
    "\n"
    "Writes the saver held in the installer FILE to the file DEST with the installer's\n"
    "own extraction: DEST is replaced only once the saver is complete.\n"
    "\n"
    "Exit status: 0 written, 1 failed (DEST is then left as it was), 2 wrong usage.\n";

const char kLanguagesUsage[] =
    "Usage: saverpack languages [--print TAG]\n"
    "\n"
    "Lists the languages saverpack carries, one a line: the tag --languages takes,\n"
    "the Windows LANGIDs (in hex) whose users get it, its names in English and in\n"
    "itself, and \"rtl\" for a language written right to left.\n"
    "\n"
    "  --print TAG  print that language's file (UTF-8): the starting point for a\n"
    "               translation of your own, given to build with --language-file\n"
    "\n"
    "Exit status: 0 success, 1 an unknown TAG, 2 wrong usage.\n";

const char kWingetUsage[] =
    "Usage: saverpack winget INSTALLER --id PUBLISHER.NAME --installer-url URL --license TEXT\n"
    "                        [--output DIR] [--locale LOCALE] [--force]\n"
    "\n"
    "Writes the winget manifest of INSTALLER (schema 1.10.0) as the community repository\n"
    "keeps it: DIR/p/PUBLISHER/NAME/VERSION/ with PUBLISHER.NAME.yaml,\n"
    "PUBLISHER.NAME.installer.yaml and PUBLISHER.NAME.locale.LOCALE.yaml. The version,\n"
    "the publisher, the web page, the title and the description come from INSTALLER,\n"
    "which must have been built with --publisher and --version; the switches, exit\n"
    "statuses and Apps & features entry are the installer's own.\n"
    "\n"
    "  --id PUBLISHER.NAME  the package's identifier: 2 to 8 parts joined by \".\", each of\n"
    "                       1 to 32 characters, none a blank or one of \\/:*?\"<>|\n"
    "  --installer-url URL  where INSTALLER can be downloaded, http:// or https://; upload\n"
    "                       it as it is now (signed), or the SHA-256 will not match\n"
    "  --license TEXT       the licence's name, 3 to 512 characters (\"Freeware\", \"MIT\")\n"
    "  --output DIR         the repository's manifests folder (default: manifests)\n"
    "  --locale LOCALE      the language of the texts (default: en-US)\n"
    "  --force              replace the folder of this version if it exists\n"
    "\n"
    "Exit status: 0 written, 1 refused or failed (nothing is then written), 2 wrong usage.\n";

int Fail(std::ostream& err, const std::string& message)
{
    err << "saverpack: " << message << "\n";
    return kExitFailure;
}

int UsageError(std::ostream& err, const char* command, const std::string& message, const char* usage)
{
    err << "saverpack " << command << ": " << message << "\n\n" << usage;
    return kExitUsage;
}

int RunSaverpack(int argc, const char* const* argv, std::ostream& out, std::ostream& err)
{
    if (argc < 2) {
        err << kMainUsage;
        return kExitUsage;
    }
    std::string command = argv[1];
    if (command == "--help" || command == "-h") {
        out << kMainUsage;
        return kExitSuccess;
    }
    if (command == "--version") {
        out << kVersionText;
        return kExitSuccess;
    }
    if (command == "build")
        return RunBuild(argc, argv, out, err);
    if (command == "inspect")
        return RunInspect(argc, argv, out, err);
    if (command == "extract")
        return RunExtract(argc, argv, out, err);
    if (command == "winget")
        return RunWinget(argc, argv, out, err);
    if (command == "languages")
        return RunLanguages(argc, argv, out, err);
    err << "saverpack: unknown command \"" << command << "\"\n\n" << kMainUsage;
    return kExitUsage;
}

}  // namespace saverpack
