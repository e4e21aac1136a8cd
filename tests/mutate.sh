#!/bin/bash
# Deliberate faults in the program's key decisions, each applied alone to a copy of the tracked
# tree, built and run against the whole suite. A fault that no test notices is a gap in the tests.
#
#   tests/mutate.sh [-v] [-k] [-n] [-a] [FAULT...]  apply, build and test (all faults when none named)
#   tests/mutate.sh -c [FAULT...]                only check that each fault's text is in its file once
#   tests/mutate.sh -l                           list the faults
#
#   FAULT  a number or a name from the list; a name may be a pattern ('reg-*')
#   -k     keep going after a fault that does not apply or does not build
#   -n     skip the first run of the suite without any fault (it must pass for the rest to mean anything)
#   -a     run every test, not only up to the first failure, to name every test that catches a fault
#   -v     say what happens to each fault; the build and test output go to $MUTATE_DIR/logs either way
#
# The copy and its build live in $MUTATE_DIR (default ${TMPDIR:-/tmp}/kx4-mutate) and are reused:
# each run brings the copy up to date with the working tree and rebuilds only what changed.
# Prints each fault that survived, did not apply or did not build, then "N applied, M caught".
# Exit status: 0 when every fault applied and was caught, 1 when one survived, 2 on any error.
set -uo pipefail
shopt -s extglob

source_dir=$(cd "$(dirname "$0")/.." && pwd)
work=${MUTATE_DIR:-${TMPDIR:-/tmp}/kx4-mutate}
tree=$work/tree
build=$work/build
logs=$work/logs
jobs=$(nproc)

# One fault per entry: "fault NAME FILE", what a user would suffer ("why"), the exact text to
# replace ("old |", one line each, found exactly once in the file) and its replacement ("new |").
read -r -d '' FAULTS <<'END'
fault prefix-drive src/platform/core/Prefix.cpp
  why Windows paths (C:\...) are not mapped to $KX4_PREFIX/drives/c: projects, scripts and help are looked for in the wrong place
  old |    return folder + path.mid(2);
  new |    return path;

fault sqlite-rollback src/platform/core/SqliteDb.cpp
  why a registry batch or project change that failed half-way is committed, not rolled back: half a change is stored
  old |        m_db.Exec(QStringLiteral("ROLLBACK"));
  new |        m_db.Exec(QStringLiteral("COMMIT"));

fault reg-case src/platform/registry/RegistryHive.cpp
  why key and value names compare with case: "SOFTWARE\X" and "Software\x" become two keys, values written in other case are missed
  old |QString Fold(const QString& name) { return name.toCaseFolded(); }
  new |QString Fold(const QString& name) { return name; }

fault reg-header src/platform/registry/RegFileReader.cpp
  why a file with an unknown first line (no .reg file at all) is imported
  old |    if (text != Header4 && text != Header5 && text != Header31) {
  new |    if (text.isEmpty()) {

fault reg-sz-terminator src/platform/registry/Registry.cpp
  why REG_SZ values are stored without their terminating zero: raw reads and exports differ from what Windows stores
  old |    return RegValueCodec::EncodeUtf16(text) + QByteArray(2, '\0');
  new |    return RegValueCodec::EncodeUtf16(text);

fault reg-cache-stale src/platform/registry/HiveReadCache.cpp
  why the read cache survives another process's commit: the program goes on reading values kx4reg or kx4studio changed meanwhile
  old |    if (m_valid && counter == m_counter)
  new |    if (m_valid)

fault reg-damaged-empty src/platform/registry/HiveFile.cpp
  why a damaged or foreign hive file reads as an empty registry instead of failing with the damage
  old |    if (const long rc = Acquire(false, &db); rc != ERROR_SUCCESS)
  old |        return rc;
  old |    m_emptyKey.exists = path.isEmpty() || viewRoot;
  new |    Acquire(false, &db);
  new |    m_emptyKey.exists = path.isEmpty() || viewRoot;

fault reg-import-partial src/platform/registry/RegFile.cpp
  why kx4reg import of a file with a bad line imports the lines before it instead of nothing
  old |        *error = QStringLiteral("%1: %2").arg(path, why);
  old |        return ERROR_INVALID_PARAMETER;
  new |        *error = QStringLiteral("%1: %2").arg(path, why);

fault reg-deletetree-range src/platform/registry/RegistryHive.cpp
  why deleting a key leaves its subkeys in the hive: they come back when a key of that name is made again
  old |    const QString high = path.isEmpty() ? QStringLiteral("\U0010FFFF") : path + u']';
  new |    const QString high = path.isEmpty() ? QStringLiteral("\U0010FFFF") : path + u'\\';

fault reg-busy src/platform/registry/RegistryHive.cpp
  why a hive locked by another process is reported as an I/O failure, not as locked
  old |    case SQLITE_LOCKED: return ERROR_BUSY;
  new |    case SQLITE_LOCKED: return ERROR_REGISTRY_IO_FAILED;

fault reg-cache-limit src/platform/registry/HiveReadCache.cpp
  why the registry read cache ignores its limit: a large enumeration keeps every value in memory
  old |    if (m_valueCount + values.size() > MaxValues) {
  new |    if (m_valueCount + values.size() > 1000 * MaxValues) {

fault win-sysmenu src/platform/windows/WindowHandles.cpp
  why taking the system menu off a window does nothing: the explorer in the frame's pane keeps its title-bar menu and buttons
  old |    if (HasCaption(widget) && (changed & (WS_SYSMENU | WS_THICKFRAME))) {
  new |    if (HasCaption(widget) && (changed & WS_THICKFRAME)) {

fault help-chain-loop src/platform/help/reader/ChmCheck.cpp
  why a help file whose directory chain loops passes the check: the reader library then walks it without end
  old |                Damaged("the directory chain returns to chunk " + std::to_string(chunk));
  new |                break;

fault help-link-relative src/platform/help/HelpLink.cpp
  why a relative link in a help topic inside a folder opens the topic of that name at the file's root
  old |    return current.left(slash + 1) + path;
  new |    return QLatin1Char('/') + path;

fault variant-round-even src/studio/Variant.cpp
  why numbers half-way between two integers round away from zero (2.5 to 3), not to even as the platform rounds
  old |    return std::fmod(below, 2.0) == 0 ? below : below + 1;
  new |    return value < 0 ? below : below + 1;

fault variant-int16-bound src/studio/Variant.cpp
  why 32768 passes as a 16-bit integer and wraps to -32768 instead of failing with overflow
  old |    return static_cast<qint16>(RoundedInRange(value, -32768.0, 32767.0));
  new |    return static_cast<qint16>(RoundedInRange(value, -32768.0, 32768.0));

fault types-kxs-case src/studio/ProjectTypes.cpp
  why a project file named X.KXS (as Windows writes it) is taken for the name of a registered project
  old |    return text.endsWith(ProjectFileExtension, Qt::CaseInsensitive);
  new |    return text.endsWith(ProjectFileExtension, Qt::CaseSensitive);

fault texts-escape src/texts/MResources.cpp
  why messages show "n" where the string table breaks the line ("\n")
  old |    case u'n': return QStringLiteral("\n");
  new |    case u'n': return QStringLiteral("n");

fault texts-english src/texts/MResources.cpp
  why an English installation (LCID 1033) gets German menus and messages
  old |        LanguageOffsetValue = EnglishOffset;
  new |        LanguageOffsetValue = 0;

fault projects-stale-kept src/projects/MKX4FunctionsSpecial.cpp
  why registrations whose project file is gone are never deleted from the registry
  old |    DeleteRegistrations(listing.Stale);
  new |    DeleteRegistrations({});

fault projects-unreadable-deleted src/projects/MKX4FunctionsSpecial.cpp
  why a registration the program cannot read (a value written as binary) is deleted as stale: a live project loses its registration
  old |            listing.Unreadable.append({name, failure.Description()});
  new |            listing.Stale.append(name);

fault projects-type-mask src/projects/MKX4FunctionsSpecial.cpp
  why the project dialog lists projects of every type, not only those of its type mask
  old |        else if (TypeMask & project.TypeCode)
  new |        else if (TypeMask | project.TypeCode)

fault projects-cancel-opens src/projects/FProjectOpen.cpp
  why Cancel in the project dialog opens the project that was selected instead of nothing
  old |    if (!m_chosen)
  old |        return QString();
  new |    (void)0;

fault editor-start-ignored src/editors/CBlindEditor.cpp
  why an editor component that cannot start is not reported: the script goes on against a project that is not open
  old |    if (!addIn.StartEditor(QString(), mainkey, QString()))
  new |    if (!addIn.StartEditor(QString(), mainkey, QString()) && false)

fault editor-message-ignored src/editors/CBlindEditor.cpp
  why a copy, paste or delete the component refuses is not reported: the script ends as if it had worked
  old |    if (!addIn.Message(EditorContract::GlobalTarget, Command, Params, &answer))
  new |    if (!addIn.Message(EditorContract::GlobalTarget, Command, Params, &answer) && false)

fault script-flag-reset src/script/MScriptScan.cpp
  why the update flag of one script run carries into the next run: updategroup then adds or removes what the new script did not ask for
  old |    UpdateFlag = 3;
  old |    ReleaseEditors();
  new |    ReleaseEditors();

fault script-mixed-encoding src/script/ScriptDecoding.cpp
  why a script mixing UTF-8 and Windows-1252 runs with its UTF-8 names garbled instead of being refused
  old |            settled.refusal = Mixed();
  new |            settled.encoding = Encoding::Windows1252;

fault script-utf16-order src/script/ScriptDecoding.cpp
  why a UTF-16LE script without a byte-order mark is read with its bytes swapped: every line is garbage
  old |                settled.encoding = Encoding::Utf16LE;
  new |                settled.encoding = Encoding::Utf16BE;

fault app-switch-in-path src/app/ToolBoxCommandLine.cpp
  why a path beginning with "/s" (/srv/...) loses those letters and runs as a silent script
  old |        if (IsBoundary(line, at - 1) && IsBoundary(line, at + switchText.size())) {
  new |        if (IsBoundary(line, at - 1)) {

fault app-caption-prefix src/app/MWindowControl.cpp
  why a window whose title only begins with the explorer's caption is taken into the pane
  old |        if (title == Caption && SetParent(hwnd, NewParentHwnd) != 0)
  new |        if (title.startsWith(Caption) && SetParent(hwnd, NewParentHwnd) != 0)

fault app-script-menu-setting src/app/FMDIFrame.cpp
  why the Extras menu shows for any non-zero setting, though a setting counts as on only when it is 1
  old |        m_mnuExtras->menuAction()->setVisible(ToolBox().WexelToolboxEnableScriptMenu == 1);
  new |        m_mnuExtras->menuAction()->setVisible(ToolBox().WexelToolboxEnableScriptMenu != 0);

fault app-exit-closes-help src/app/FMDIFrame.cpp
  why File > Exit leaves the help windows open after the frame is gone
  old |    MHelp::CloseHelp();
  new |    (void)0;

fault app-handler-failure-exit src/app/ToolBoxApplication.cpp
  why a failure thrown from an event handler after start-up is shown and the program runs on instead of ending with status 1
  old |    exit(1);
  new |    (void)0;

fault app-load-failure-status src/app/ToolBoxApplication.cpp
  why a script that fails under /s ends the program with status 0: a batch job takes the failed run for a success
  old |        ReportUncaught(failure);
  old |        return 1;
  new |        ReportUncaught(failure);
  new |        return 0;

fault help-context src/help/MHelp.cpp
  why Help opens at another topic than the toolbox's page
  old |    HtmlHelpA(hWnd, file.constData(), HH_HELP_CONTEXT, quintptr(quint32(ContextId)));
  new |    HtmlHelpA(hWnd, file.constData(), HH_HELP_CONTEXT, quintptr(quint32(ContextId + 1)));

fault about-dword-order src/help/FAbout.cpp
  why the about box reads a REG_DWORD with its bytes reversed
  old |        KeyVal = QString::number(qFromLittleEndian<quint32>(bytes.constData()));
  new |        KeyVal = QString::number(qFromBigEndian<quint32>(bytes.constData()));

fault utilities-read-error-missing components/StudioUtilities/RegistryService.cpp
  why a registry that cannot be read (damaged, locked) reads as missing values: the program reports no installation, not the cause
  old |    if (rc == ERROR_FILE_NOT_FOUND)
  old |        return Variant::IsMissing(defaultValue) ? QVariant(QString()) : defaultValue;
  new |    if (rc != ERROR_SUCCESS)
  new |        return Variant::IsMissing(defaultValue) ? QVariant(QString()) : defaultValue;

fault utilities-file-case components/StudioUtilities/FilesService.cpp
  why a project registered in other case than its file on disk counts as missing, and its registration is deleted as stale
  old |    return studio.windowsStyle && QFileInfo(Prefix::ToLocalPathNoCase(studio.path)).isFile();
  new |    return false;

fault project-name-case components/ProjectData/ProjectFile.cpp
  why group and language names become case-sensitive: "Alarm" and "alarm" are two groups, a script naming one in other case misses it
  old |QString Folded(const QString& name) { return name.toCaseFolded(); }
  new |QString Folded(const QString& name) { return name; }

fault project-readonly-open components/ProjectData/ProjectFile.cpp
  why a project opened only to read (explorer, export, copy) is opened for writing: a read-only project cannot be viewed or exported
  old |    const Mode mode = create ? Mode::Create : access == Access::Read ? Mode::ReadOnly : Mode::ReadWrite;
  new |    const Mode mode = create ? Mode::Create : Mode::ReadWrite;

fault project-busy-timeout components/ProjectData/ProjectDatabase.cpp
  why a second program writing the same project fails at once with "locked" instead of waiting for the first
  old |constexpr int BusyTimeoutMs = 10000;
  new |constexpr int BusyTimeoutMs = 0;

fault paste-replace-keeps components/ProjectData/GroupTransfer.cpp
  why a paste with replace keeps the target group's old texts and subgroups beside the pasted ones
  old |            project.ClearGroup(*existing);
  new |            (void)0;

fault update-removes-subgroups components/ProjectData/GroupTransfer.cpp
  why updategroup with flag 4 from a copy made without subgroups deletes every subgroup of the target
  old |        if ((m_flags & GroupTransfer::RemoveExtra) && subgroupsCopied) {
  new |        if (m_flags & GroupTransfer::RemoveExtra) {

fault copy-checksum components/ProjectData/GroupCopy.cpp
  why a damaged copy is pasted as long as its structure parses: wrong texts land in the project
  old |    if (QCryptographicHash::hash(payload, ChecksumKind) != bytes.right(ChecksumSize)) {
  new |    if (QCryptographicHash::hash(payload, ChecksumKind) != bytes.right(ChecksumSize) && false) {

fault copy-depth components/ProjectData/GroupCopy.cpp
  why a forged copy nested deeper than the bound is walked until the stack runs out
  old |        if (depth > MaxDepth) {
  new |        if (depth > 100 * MaxDepth) {

fault textbatch-last components/ProjectData/TextBatch.cpp
  why the last text of each batch is lost: a paste or import drops texts
  old |    for (int i = 0; i < m_count; ++i) {
  new |    for (int i = 0; i < m_count - 1; ++i) {

fault csv-partial-commit components/ProjectData/ProjectCsv.cpp
  why a CSV import that fails on a line keeps the rows before it, though it says "nothing imported"
  old |    } catch (const CsvError& error) {
  new |    } catch (const CsvError& error) {
  new |        transaction.Commit();

fault po-backslash components/ProjectData/PoWriter.cpp
  why a backslash in a text (a Windows path) is written unescaped into the PO file, which then reads back changed or not at all
  old |        case '\\': line->append("\\\\"); break;
  new |        case '\\': line->append("\\"); break;

fault po-fuzzy components/ProjectData/PoReader.cpp
  why a translation marked fuzzy (not checked) is imported as final
  old |        unit->translated = !unit->target.isEmpty() && !entry.fuzzy;
  new |        unit->translated = !unit->target.isEmpty();

fault xliff-needs-translation components/ProjectData/XliffReader.cpp
  why an XLIFF target in state needs-translation (a copy of the source) is imported as the translation
  old |    unit->translated = !unit->target.isEmpty() && state != QLatin1String("new") &&
  old |                       state != QLatin1String("needs-translation");
  new |    unit->translated = !unit->target.isEmpty() && state != QLatin1String("new");

fault translation-changed-source components/ProjectData/TranslationImport.cpp
  why the translation of a source text that changed since the export overwrites the project's text without --force
  old |            if (!m_force)
  new |            if (m_force && !m_force)

fault rename-missing-parent components/KXLanguage/LanguageEditor.cpp
  why "rename" to a path whose parent does not exist renames the group in place instead of failing
  old |    if (project.RequireGroup(newName.left(cut)) != project.ParentOf(group))
  new |    if (project.GroupAt(newName.left(cut)).value_or(project.ParentOf(group)) != project.ParentOf(group))

fault explorer-title components/ProjectExplorer/ExplorerTexts.cpp
  why the explorer's German window title differs from the program's string 300: the frame does not find the window
  old |                       : QStringLiteral("KestrixStudio Projekt-Explorer");
  new |                       : QStringLiteral("KestrixStudio Projekt-Explorer ");

fault explorer-first-page components/ProjectExplorer/GroupTextsModel.cpp
  why an index group with more texts than one page shows only its first page in the explorer
  old |    m_atEnd = read < PageTexts;
  new |    m_atEnd = read <= PageTexts;

fault kx4reg-delete-asks tools/kx4reg/DeleteVerb.cpp
  why kx4reg delete without /f deletes without asking
  old |    if (!sw.force)
  new |    if (sw.force)

fault kx4reg-no-terminal-goes-on tools/kx4reg/CommandIo.cpp
  why kx4reg delete without /f, run from a script or a pipe, deletes without anyone answering
  old |    if (!answers)
  new |    if (!answers) return 0; if (false)

fault kx4reg-dword-range tools/kx4reg/DataEncoder.cpp
  why kx4reg add /t REG_DWORD /d 4294967296 stores 0 instead of refusing the number
  old |    if (!ok || (type != REG_QWORD && value > 0xffffffffull) || (negative && value > (1ull << 63)))
  new |    if (!ok || (type != REG_QWORD && value > 0x1ffffffffull) || (negative && value > (1ull << 63)))

fault kx4studio-setup-lcid tools/kx4studio/StudioSetup.cpp
  why running kx4studio setup again resets the installation's language to German
  old |    } else if (!Exists(HKEY_LOCAL_MACHINE, studio, QStringLiteral("LCID"))) {
  new |    } else {

fault kx4studio-register-any tools/kx4studio/ProjectCommands.cpp
  why kx4studio register accepts any file ending in .kxs: the program then lists a project it cannot open
  old |        const ProjectFile project(file.absoluteFilePath(), ProjectFile::Access::Read);
  new |        (void)0;
END

names=() files=() whys=() olds=() news=()
parse_faults() {
    local line n=-1
    while IFS= read -r line; do
        case $line in
        'fault '*)
            n=$((n + 1))
            read -r _ "names[$n]" "files[$n]" <<<"$line"
            whys[n]='' olds[n]='' news[n]=''
            ;;
        '  why '*) whys[n]=${line#  why } ;;
        '  old |'*) olds[n]+=${olds[n]:+$'\n'}${line#  old |} ;;
        '  new |'*) news[n]+=${news[n]:+$'\n'}${line#  new |} ;;
        '' | '#'*) ;;
        *) echo "mutate.sh: cannot read the fault list at: $line" >&2; exit 2 ;;
        esac
    done <<<"$FAULTS"
}

usage() { sed -n '2,/^set -uo/{/^set -uo/d;s/^# \{0,1\}//;p}' "$0"; }

verbose=0 keep_going=0 skip_clean=0 check_only=0 list_only=0 stop=--stop-on-failure
while getopts 'vkncla' option; do
    case $option in
    v) verbose=1 ;;
    k) keep_going=1 ;;
    n) skip_clean=1 ;;
    c) check_only=1 ;;
    l) list_only=1 ;;
    a) stop='' ;;
    *) usage >&2; exit 2 ;;
    esac
done
shift $((OPTIND - 1))

parse_faults

if ((list_only)); then
    for i in "${!names[@]}"; do
        printf '%2d %-30s %s\n   %s\n' $((i + 1)) "${names[i]}" "${files[i]}" "${whys[i]}"
    done
    exit 0
fi

# The faults asked for, by number or by name pattern, in the list's order.
selected=()
if (($# == 0)); then
    selected=("${!names[@]}")
else
    declare -A wanted=()
    for arg in "$@"; do
        matched=0
        for i in "${!names[@]}"; do
            # shellcheck disable=SC2053 # a name may be a pattern
            if [[ $arg == +([0-9]) && $arg -eq $((i + 1)) ]] || [[ ${names[i]} == $arg ]]; then
                wanted[$i]=1 matched=1
            fi
        done
        ((matched)) || { echo "mutate.sh: no fault $arg (tests/mutate.sh -l lists them)" >&2; exit 2; }
    done
    for i in "${!names[@]}"; do [[ ${wanted[$i]:-} ]] && selected+=("$i"); done
fi

say() { ((verbose)) && printf '%s\n' "$*"; return 0; }

# Replaces old by new in file; fails, saying why, unless old occurs there exactly once.
replace_once() {
    perl -e '
        my ($file, $old, $new) = @ARGV;
        open(my $in, "<", $file) or do { print "cannot read the file\n"; exit 1 };
        local $/;
        my $text = <$in>;
        close $in;
        my $at = index($text, $old);
        if ($at < 0) { print "its text is not in the file\n"; exit 1 }
        if (index($text, $old, $at + 1) >= 0) { print "its text is in the file more than once\n"; exit 1 }
        substr($text, $at, length $old) = $new;
        open(my $out, ">", $file) or do { print "cannot write the file\n"; exit 1 };
        print $out $text;
        close $out or do { print "cannot write the file\n"; exit 1 };
    ' "$1" "$2" "$3"
}

if ((check_only)); then
    scratch=$(mktemp) || exit 2
    trap 'rm -f "$scratch"' EXIT
    failed=0
    for i in "${selected[@]}"; do
        if ! cp "$source_dir/${files[i]}" "$scratch" 2>/dev/null; then
            why="its file is missing"
        elif why=$(replace_once "$scratch" "${olds[i]}" "${news[i]}"); then
            say "ok        $((i + 1)) ${names[i]}"
            continue
        fi
        echo "no apply  $((i + 1)) ${names[i]} (${files[i]}): $why"
        failed=1
    done
    exit $((failed ? 2 : 0))
fi

# The copy follows the working tree's tracked files; a file whose content is unchanged keeps its
# time, so the build stays incremental.
sync_tree() {
    mkdir -p "$tree" "$logs"
    local list=$work/tracked
    (cd "$source_dir" && git ls-files -z) >"$list.new" || return 1
    if [[ -f $list ]]; then
        comm -z -23 <(sort -z "$list") <(sort -z "$list.new") | while IFS= read -r -d '' file; do
            rm -f "$tree/$file"
        done
    fi
    local file
    while IFS= read -r -d '' file; do
        [[ -f $source_dir/$file ]] || continue
        if ! cmp -s "$source_dir/$file" "$tree/$file"; then
            mkdir -p "$(dirname "$tree/$file")" && cp "$source_dir/$file" "$tree/$file" || return 1
        fi
    done <"$list.new"
    mv "$list.new" "$list"
}

build_tree() {
    if [[ ! -f $build/build.ninja ]]; then
        # The project's optimisation without debug information, and no relinking of programs
        # when only a shared library's code changed: a fault never changes an interface.
        cmake -S "$tree" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
            -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -DNDEBUG" -DCMAKE_LINK_DEPENDS_NO_SHARED=ON \
            -DKX4_BUILD_BENCH=OFF >"$1" 2>&1 || return 1
    fi
    cmake --build "$build" -j "$jobs" >>"$1" 2>&1
}

# The whole suite, stopping at the first test that fails unless -a; the failing tests go to $failed_tests.
run_suite() {
    (cd "$build" && QT_QPA_PLATFORM=offscreen ctest -j "$jobs" --timeout 120 $stop) >>"$1" 2>&1
    local status=$?
    failed_tests=$(sed -n '/tests FAILED:/,$s/^[[:space:]]*[0-9]* - \([^ ]*\).*/\1/p' "$1" | paste -sd' ' -)
    return $status
}

mutated=''
restore() {
    # A new time on the restored file, so the next build compiles it again.
    [[ -n $mutated ]] && cp "$work/original" "$tree/$mutated" && touch "$tree/$mutated"
    mutated=''
    return 0
}
trap 'restore; exit 2' INT TERM
trap restore EXIT

mkdir -p "$work" || exit 2
sync_tree || { echo "mutate.sh: cannot copy the tree to $tree" >&2; exit 2; }
clean_log=$logs/0-without-faults.log
: >"$clean_log"
say "building $tree in $build"
build_tree "$clean_log" || { echo "mutate.sh: the tree does not build without faults; see $clean_log" >&2; exit 2; }
if ((!skip_clean)); then
    say "running the suite without faults"
    run_suite "$clean_log" || {
        echo "mutate.sh: the suite fails without any fault ($failed_tests); see $clean_log" >&2
        exit 2
    }
fi

applied=0 caught=0 errors=0 survived=0
for i in "${selected[@]}"; do
    number=$((i + 1)) name=${names[i]} file=${files[i]}
    log=$logs/$number-$name.log
    : >"$log"
    started=$SECONDS
    cp -p "$tree/$file" "$work/original" 2>/dev/null || { why="its file is missing"; false; } &&
        why=$(replace_once "$tree/$file" "${olds[i]}" "${news[i]}")
    if (($? != 0)); then
        echo "no apply  $number $name ($file): $why"
        errors=$((errors + 1))
        ((keep_going)) && continue
        break
    fi
    mutated=$file
    if ! build_tree "$log"; then
        restore
        echo "no build  $number $name ($file): see $log"
        errors=$((errors + 1))
        ((keep_going)) && continue
        break
    fi
    applied=$((applied + 1))
    if run_suite "$log"; then
        survived=$((survived + 1))
        echo "survived  $number $name ($file): ${whys[i]}"
    else
        caught=$((caught + 1))
        say "caught    $number $name by ${failed_tests:-the suite} ($((SECONDS - started)) s)"
    fi
    restore
done

echo "$applied applied, $caught caught"
((errors)) && exit 2
((survived)) && exit 1
exit 0
