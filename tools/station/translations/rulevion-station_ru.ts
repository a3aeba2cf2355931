<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ru_RU">
<context>
    <name>Check</name>
    <message>
        <location filename="../StationCheck.cpp" line="103"/>
        <source>station folder %1 does not exist: create it, or name the right one</source>
        <translation>папки станции %1 нет: создайте ее или укажите нужную</translation>
    </message>
    <message>
        <location filename="../StationCheck.cpp" line="108"/>
        <source>station folder %1</source>
        <translation>папка станции %1</translation>
    </message>
    <message>
        <location filename="../StationCheck.cpp" line="117"/>
        <source>%1: the database is on drive C:</source>
        <translation>%1: база данных на диске C:</translation>
    </message>
    <message>
        <location filename="../StationCheck.cpp" line="120"/>
        <source>%1: the database is on drive D:</source>
        <translation>%1: база данных на диске D:</translation>
    </message>
    <message>
        <location filename="../StationCheck.cpp" line="123"/>
        <source>%1 is missing or cannot be read: copy it from the station&apos;s set-up into the station folder</source>
        <translation>%1 нет или его нельзя прочитать: скопируйте его из установки станции в папку станции</translation>
    </message>
    <message>
        <location filename="../StationCheck.cpp" line="128"/>
        <source>%1 has fewer than three lines: its third line must begin with 1 (drive C:) or 0 (drive D:)</source>
        <translation>в %1 меньше трех строк: третья строка должна начинаться с 1 (диск C:) или 0 (диск D:)</translation>
    </message>
    <message>
        <location filename="../StationCheck.cpp" line="133"/>
        <source>%1: the third line does not begin with 1 (drive C:) or 0 (drive D:): correct it</source>
        <translation>%1: третья строка не начинается с 1 (диск C:) или 0 (диск D:): исправьте ее</translation>
    </message>
    <message>
        <location filename="../StationCheck.cpp" line="143"/>
        <source>VDM_DRIVES=%1</source>
        <translation>VDM_DRIVES=%1</translation>
    </message>
    <message>
        <location filename="../StationCheck.cpp" line="144"/>
        <source>VDM_DRIVES is not set, so drives lie under /mnt</source>
        <translation>VDM_DRIVES не задана, поэтому диски находятся в /mnt</translation>
    </message>
    <message>
        <location filename="../StationCheck.cpp" line="172"/>
        <source>drive %1 is the folder %2, which does not exist (%3): %4 chooses drive %1 (its third line); if that is the wrong drive, correct the line (1 for C:, 0 for D:), else create the folder or set drives= in the station&apos;s configuration%5</source>
        <translation>диск %1 — это папка %2, которой нет (%3): %4 выбирает диск %1 (третья строка); если диск не тот, исправьте строку (1 — C:, 0 — D:), иначе создайте папку или задайте drives= в настройках станции%5</translation>
    </message>
    <message>
        <location filename="../StationCheck.cpp" line="199"/>
        <source>. The database is on drive %1 (%2): the third line should be %3</source>
        <translation>. База данных есть на диске %1 (%2): третья строка должна быть %3</translation>
    </message>
    <message>
        <location filename="../StationCheck.cpp" line="189"/>
        <source>drive %1 is the folder %2</source>
        <translation>диск %1 — это папка %2</translation>
    </message>
    <message>
        <location filename="../StationCheck.cpp" line="211"/>
        <source>the database %1 is not there (%2 is missing): write it with rulevion-jetwriter students</source>
        <translation>базы данных %1 нет (нет %2): запишите ее командой rulevion-jetwriter students</translation>
    </message>
    <message>
        <location filename="../StationCheck.cpp" line="217"/>
        <source>the database %1 is not a file that can be read: replace it, or let the station&apos;s user read it</source>
        <translation>база данных %1 — не файл, который можно прочитать: замените ее или дайте пользователю станции право чтения</translation>
    </message>
    <message>
        <location filename="../StationCheck.cpp" line="223"/>
        <source>the database %1 cannot be read (%2)</source>
        <translation>базу данных %1 нельзя прочитать (%2)</translation>
    </message>
    <message>
        <location filename="../StationCheck.cpp" line="227"/>
        <source>database file %1</source>
        <translation>файл базы данных %1</translation>
    </message>
    <message>
        <location filename="../StationCheck.cpp" line="234"/>
        <source>the database reader %1 is missing: reinstall the package</source>
        <translation>программы чтения базы данных %1 нет: переустановите пакет</translation>
    </message>
    <message>
        <location filename="../StationCheck.cpp" line="268"/>
        <source>the database is encrypted: save it without a password in Access (File, Info, Decrypt)</source>
        <translation>база данных зашифрована: сохраните ее без пароля в Access (Файл, Сведения, Расшифровать базу данных)</translation>
    </message>
    <message>
        <location filename="../StationCheck.cpp" line="293"/>
        <source>table %1: column %2 is missing or not of the kind %3: write the database anew with rulevion-jetwriter students</source>
        <translation>таблица %1: столбца %2 нет или его тип не %3: запишите базу данных заново командой rulevion-jetwriter students</translation>
    </message>
    <message>
        <location filename="../StationCheck.cpp" line="305"/>
        <source>table %1 with its six columns</source>
        <translation>таблица %1 и ее шесть столбцов</translation>
    </message>
    <message>
        <location filename="../StationCheck.cpp" line="312"/>
        <source>Long Integer</source>
        <translation>«Длинное целое»</translation>
    </message>
    <message>
        <location filename="../StationCheck.cpp" line="313"/>
        <source>Text</source>
        <translation>«Текстовый»</translation>
    </message>
    <message>
        <location filename="../StationCheck.cpp" line="327"/>
        <source>table %1 holds no students: write the class list into it with rulevion-jetwriter students</source>
        <translation>в таблице %1 нет ни одного курсанта: запишите в нее список группы командой rulevion-jetwriter students</translation>
    </message>
    <message numerus="yes">
        <location filename="../StationCheck.cpp" line="332"/>
        <source>%n student(s)</source>
        <translation>
            <numerusform>%n курсант</numerusform>
            <numerusform>%n курсанта</numerusform>
            <numerusform>%n курсантов</numerusform>
        </translation>
    </message>
    <message>
        <location filename="../StationCheck.cpp" line="334"/>
        <source>record-book numbers that occur more than once (letter case aside), only the first of each can sign in: %1; correct the class list</source>
        <translation>номера зачеток, которые встречаются больше одного раза (без учета регистра букв), войти может только первый из них: %1; исправьте список группы</translation>
    </message>
    <message>
        <location filename="../StationCheck.cpp" line="339"/>
        <source>record-book numbers with blanks at the start or end, which nobody types: %1; correct the class list</source>
        <translation>номера зачеток с пробелами в начале или в конце, их никто не наберет: %1; исправьте список группы</translation>
    </message>
    <message>
        <location filename="../StationCheck.cpp" line="346"/>
        <source>record-book numbers as a spreadsheet writes numbers it holds as numbers (exponent form, a decimal zero, fewer digits than most: leading zeros lost), which the cards most likely read otherwise: %1; format the record-book column as text and write the database again</source>
        <translation>номера зачеток в том виде, в каком электронная таблица пишет хранимые как числа значения (экспоненциальная форма, десятичный ноль, цифр меньше, чем у большинства: потеряны ведущие нули), а в зачетках они, скорее всего, другие: %1; задайте столбцу номеров текстовый формат и запишите базу данных заново</translation>
    </message>
    <message numerus="yes">
        <location filename="../StationCheck.cpp" line="353"/>
        <source>%n student(s) without a record-book number, who cannot sign in: correct the class list</source>
        <translation>
            <numerusform>%n курсант без номера зачетки не сможет войти: исправьте список группы</numerusform>
            <numerusform>%n курсанта без номера зачетки не смогут войти: исправьте список группы</numerusform>
            <numerusform>%n курсантов без номера зачетки не смогут войти: исправьте список группы</numerusform>
        </translation>
    </message>
    <message>
        <location filename="../StationCheck.cpp" line="365"/>
        <source>%1 exists but cannot be read, so the trainer&apos;s button ends the program (%2)</source>
        <translation>%1 есть, но его нельзя прочитать, поэтому кнопка «Т р е н е р» завершит программу (%2)</translation>
    </message>
    <message>
        <location filename="../StationCheck.cpp" line="371"/>
        <source>%1 is missing or cannot be read, so the trainer&apos;s button ends the program: write it with rulevion-jetwriter password</source>
        <translation>%1 нет или его нельзя прочитать, поэтому кнопка «Т р е н е р» завершит программу: запишите его командой rulevion-jetwriter password</translation>
    </message>
    <message>
        <location filename="../StationCheck.cpp" line="382"/>
        <source>%1 is shorter than 8 bytes</source>
        <translation>%1 короче 8 байтов</translation>
    </message>
    <message>
        <location filename="../StationCheck.cpp" line="384"/>
        <source>%1 is not a password file (its first 4 bytes are not %2)</source>
        <translation>%1 не файл пароля (его первые 4 байта не %2)</translation>
    </message>
    <message>
        <location filename="../StationCheck.cpp" line="388"/>
        <source>%1 holds the password %2, which the password field cannot take (digits only)</source>
        <translation>в %1 пароль %2, который нельзя набрать в поле пароля (только цифры)</translation>
    </message>
    <message>
        <location filename="../StationCheck.cpp" line="395"/>
        <source>%1: write it anew with rulevion-jetwriter password</source>
        <translation>%1: запишите его заново командой rulevion-jetwriter password</translation>
    </message>
    <message>
        <location filename="../StationCheck.cpp" line="398"/>
        <source>password file %1</source>
        <translation>файл пароля %1</translation>
    </message>
    <message>
        <location filename="../StationCheck.cpp" line="403"/>
        <source>%1 is missing, so the help button shows nothing: cp /usr/share/rulevion/%1 into the station folder</source>
        <translation>%1 нет, поэтому кнопка «П о м о щ ь» ничего не покажет: скопируйте /usr/share/rulevion/%1 в папку станции</translation>
    </message>
    <message>
        <location filename="../StationCheck.cpp" line="407"/>
        <source>help document %1</source>
        <translation>справка %1</translation>
    </message>
    <message>
        <location filename="../StationCheck.cpp" line="414"/>
        <source>xdg-open is missing, so the help document cannot be opened: install xdg-utils</source>
        <translation>нет xdg-open, поэтому справку нельзя открыть: установите xdg-utils</translation>
    </message>
    <message>
        <location filename="../StationCheck.cpp" line="427"/>
        <source>no PDF viewer found: install one (any package that provides pdf-viewer, e.g. evince)</source>
        <translation>нет программы просмотра PDF: установите ее (любой пакет, который предоставляет pdf-viewer, например evince)</translation>
    </message>
    <message>
        <location filename="../StationCheck.cpp" line="430"/>
        <source>PDF viewer %1</source>
        <translation>программа просмотра PDF %1</translation>
    </message>
    <message>
        <location filename="../StationCheck.cpp" line="454"/>
        <source>the station folder is not writable, so no decision and no sign-in can be written: let the station&apos;s user write in it</source>
        <translation>в папку станции нельзя писать, поэтому ни решение, ни запись о входе не будут записаны: дайте пользователю станции право записи</translation>
    </message>
    <message>
        <location filename="../StationCheck.cpp" line="463"/>
        <source>%1 cannot be written: remove it, or let the station&apos;s user write it</source>
        <translation>в %1 нельзя писать: удалите его или дайте пользователю станции право записи</translation>
    </message>
    <message>
        <location filename="../StationCheck.cpp" line="469"/>
        <source>the station folder is writable</source>
        <translation>в папку станции можно писать</translation>
    </message>
    <message>
        <location filename="../StationCheck.cpp" line="486"/>
        <source>passed:  %1</source>
        <translation>в порядке: %1</translation>
    </message>
    <message>
        <location filename="../StationCheck.cpp" line="487"/>
        <source>PROBLEM: %1</source>
        <translation>ЗАМЕЧАНИЕ: %1</translation>
    </message>
    <message>
        <location filename="../StationCheck.cpp" line="491"/>
        <source>FAILED:  %1</source>
        <translation>ОШИБКА:   %1</translation>
    </message>
    <message>
        <location filename="../StationCheck.cpp" line="70"/>
        <source>owner %1, mode %2; the station&apos;s user %3 cannot read it: %4, or %5</source>
        <translation>владелец %1, права %2; пользователь станции %3 не может его прочитать: %4 или %5</translation>
    </message>
    <message>
        <location filename="../StationCheck.cpp" line="161"/>
        <source>drive %1 is the share %2, which is not mounted on %3, where the system&apos;s mount table (fstab) puts it: mount it with: %4</source>
        <translation>диск %1 — это общий ресурс %2, который не подключен к %3, куда его подключает системная таблица (fstab): подключите его командой %4</translation>
    </message>
    <message>
        <location filename="../StationCheck.cpp" line="182"/>
        <source>drive %1 is the folder %2, which is empty: the share that holds the database is not mounted there. Mount it (for example: %3, with its line in /etc/fstab), then check again</source>
        <translation>диск %1 — это папка %2, и она пуста: общий ресурс с базой данных к ней не подключен. Подключите его (например, %3, со строкой в /etc/fstab) и проверьте снова</translation>
    </message>
    <message>
        <location filename="../StationCheck.cpp" line="246"/>
        <source>it is not a database, or it is damaged</source>
        <translation>это не база данных, или она повреждена</translation>
    </message>
    <message>
        <location filename="../StationCheck.cpp" line="247"/>
        <source>it is damaged</source>
        <translation>она повреждена</translation>
    </message>
    <message>
        <location filename="../StationCheck.cpp" line="251"/>
        <source>the database reader stopped on it: it is damaged</source>
        <translation>программа чтения базы данных остановилась на ней: база повреждена</translation>
    </message>
    <message>
        <location filename="../StationCheck.cpp" line="253"/>
        <source>the database reader is missing: reinstall the package</source>
        <translation>нет программы чтения базы данных: переустановите пакет</translation>
    </message>
    <message>
        <location filename="../StationCheck.cpp" line="254"/>
        <source>the file cannot be opened</source>
        <translation>файл нельзя открыть</translation>
    </message>
    <message>
        <location filename="../StationCheck.cpp" line="257"/>
        <source>it cannot be read</source>
        <translation>ее нельзя прочитать</translation>
    </message>
    <message>
        <location filename="../StationCheck.cpp" line="272"/>
        <source>the database cannot be opened: %1; write it anew with rulevion-jetwriter students</source>
        <translation>базу данных нельзя открыть: %1; запишите ее заново командой rulevion-jetwriter students</translation>
    </message>
    <message>
        <location filename="../StationCheck.cpp" line="280"/>
        <source>the database has no table %1: it is another database, or a damaged one; write it anew with rulevion-jetwriter students</source>
        <translation>в базе данных нет таблицы %1: это другая база данных или поврежденная; запишите ее заново командой rulevion-jetwriter students</translation>
    </message>
    <message>
        <location filename="../StationCheck.cpp" line="283"/>
        <location filename="../StationCheck.cpp" line="290"/>
        <source>table %1 cannot be read: %2; write the database anew with rulevion-jetwriter students</source>
        <translation>таблицу %1 нельзя прочитать: %2; запишите базу данных заново командой rulevion-jetwriter students</translation>
    </message>
    <message>
        <location filename="../StationCheck.cpp" line="299"/>
        <source>the students cannot be read: %1; write the database anew with rulevion-jetwriter students</source>
        <translation>курсантов нельзя прочитать: %1; запишите базу данных заново командой rulevion-jetwriter students</translation>
    </message>
    <message>
        <location filename="../StationCheck.cpp" line="319"/>
        <source>&quot;%1&quot;</source>
        <comment>a record-book number in quotes</comment>
        <translation>«%1»</translation>
    </message>
    <message>
        <location filename="../StationCheck.cpp" line="449"/>
        <source>the check ran as root for want of a station user, and root may read and write anything: name the station&apos;s user (check --user NAME), or give it the station folder</source>
        <translation>проверка шла от root, так как пользователь станции неизвестен, а root может читать и писать все: назовите пользователя станции (check --user ИМЯ) или передайте ему папку станции</translation>
    </message>
    <message>
        <location filename="../StationCheck.cpp" line="506"/>
        <source>Students can sign in and train at this station.</source>
        <translation>На этой станции курсанты могут войти и заниматься.</translation>
    </message>
    <message>
        <location filename="../StationCheck.cpp" line="511"/>
        <source>Students can sign in at this station, but %1 will not start until the failures above are put right.</source>
        <translation>На этой станции курсанты могут войти, но %1 не запустятся, пока не исправлены ошибки выше.</translation>
    </message>
    <message>
        <location filename="../StationCheck.cpp" line="514"/>
        <source> and </source>
        <translation> и </translation>
    </message>
    <message>
        <location filename="../StationCheck.cpp" line="518"/>
        <source>No student can sign in at this station until the failures above are put right.</source>
        <translation>Ни один курсант не сможет войти на этой станции, пока не исправлены ошибки выше.</translation>
    </message>
</context>
<context>
    <name>Config</name>
    <message>
        <location filename="../StationConfig.cpp" line="48"/>
        <source>pause takes a number of seconds from 0 to 3600</source>
        <translation>pause — число секунд от 0 до 3600</translation>
    </message>
    <message>
        <location filename="../StationConfig.cpp" line="53"/>
        <source>unknown key &quot;%1&quot;</source>
        <translation>неизвестный ключ «%1»</translation>
    </message>
    <message>
        <location filename="../StationConfig.cpp" line="98"/>
        <source>not a KEY=VALUE line</source>
        <translation>строка не вида КЛЮЧ=ЗНАЧЕНИЕ</translation>
    </message>
    <message>
        <location filename="../StationConfig.cpp" line="103"/>
        <source>%1, line %2: %3, passed over</source>
        <translation>%1, строка %2: %3, пропущена</translation>
    </message>
    <message>
        <location filename="../StationConfig.cpp" line="135"/>
        <source>%1 cannot be found</source>
        <translation>%1 не найден</translation>
    </message>
    <message>
        <location filename="../StationConfig.cpp" line="148"/>
        <source>%1 cannot be examined</source>
        <translation>%1 не удается проверить</translation>
    </message>
    <message>
        <location filename="../StationConfig.cpp" line="152"/>
        <source>%1 does not belong to root</source>
        <translation>%1 принадлежит не root</translation>
    </message>
    <message>
        <location filename="../StationConfig.cpp" line="154"/>
        <source>the station&apos;s user can change %1</source>
        <translation>пользователь станции может изменить %1</translation>
    </message>
</context>
<context>
    <name>Log</name>
    <message>
        <location filename="../StationLog.cpp" line="81"/>
        <source>%1: the log file %2 cannot be written
</source>
        <translation>%1: файл журнала %2 не удается записать
</translation>
    </message>
</context>
<context>
    <name>Main</name>
    <message>
        <location filename="../main.cpp" line="84"/>
        <source>%1: %2
Try &apos;%1 --help&apos;.
</source>
        <translation>%1: %2
Подробнее: «%1 --help».
</translation>
    </message>
    <message>
        <location filename="../main.cpp" line="114"/>
        <source>--config needs a file</source>
        <translation>после --config нужен файл</translation>
    </message>
    <message>
        <location filename="../main.cpp" line="119"/>
        <source>--root needs a folder</source>
        <translation>--root: нужна папка</translation>
    </message>
    <message>
        <location filename="../main.cpp" line="130"/>
        <source>unknown option %1</source>
        <translation>неизвестный параметр %1</translation>
    </message>
    <message>
        <location filename="../main.cpp" line="140"/>
        <source>unknown command %1</source>
        <translation>неизвестная команда %1</translation>
    </message>
    <message>
        <location filename="../main.cpp" line="145"/>
        <source>one station folder at most</source>
        <translation>можно указать только одну папку станции</translation>
    </message>
    <message>
        <location filename="../main.cpp" line="184"/>
        <source>%1: the configuration file %2 cannot be read
</source>
        <translation>%1: файл настроек %2 нельзя прочитать
</translation>
    </message>
    <message>
        <location filename="../main.cpp" line="324"/>
        <source>no station folder: name one, or set folder= in %1</source>
        <translation>нет папки станции: укажите ее или задайте folder= в %1</translation>
    </message>
    <message>
        <location filename="../main.cpp" line="135"/>
        <source>say check, run, session, log or setup</source>
        <translation>укажите check, run, session, log или setup</translation>
    </message>
    <message>
        <location filename="../main.cpp" line="142"/>
        <source>log takes no arguments</source>
        <translation>log не принимает аргументов</translation>
    </message>
    <message>
        <location filename="../main.cpp" line="297"/>
        <source>%1: the station does not run as root; start %2 as the station&apos;s own user (adduser station, chown it the station folder)
</source>
        <translation>%1: станция не работает от root; запустите %2 от собственного пользователя станции (adduser station, отдайте ему папку станции через chown)
</translation>
    </message>
    <message>
        <location filename="../main.cpp" line="301"/>
        <source>%1: the station does not run as root; start %2 as %3, the owner of %4: su %3 -c &apos;%2&apos;
</source>
        <translation>%1: станция не работает от root; запустите %2 от %3, владельца %4: su %3 -c &apos;%2&apos;
</translation>
    </message>
    <message>
        <location filename="../main.cpp" line="311"/>
        <source>%1: no display (DISPLAY is not set), so the menu cannot show: start the station in its X session &quot;Rulevion station&quot;
</source>
        <translation>%1: нет дисплея (DISPLAY не задан), меню негде показать: запускайте станцию в ее X-сеансе «Станция „Рулевион“»
</translation>
    </message>
    <message>
        <location filename="../main.cpp" line="342"/>
        <source>%1: nothing is logged in %2
</source>
        <translation>%1: в %2 ничего не записано
</translation>
    </message>
    <message>
        <location filename="../main.cpp" line="163"/>
        <source>%1 is not read: %2; only files the station&apos;s user cannot change decide what the station runs</source>
        <translation>%1 не читается: %2; что запускает станция, решают только файлы, которые ее пользователь не может изменить</translation>
    </message>
    <message>
        <location filename="../main.cpp" line="40"/>
        <source>Usage: %1 [--config FILE] check [--user USER] [FOLDER]
       %1 [--config FILE] run [FOLDER]
       %1 [--config FILE] session [FOLDER]
       %1 log
       %1 setup [--list FILE] [--password N] … (see %1 setup --help)
       %1 --help | --version

check  tests the station in FOLDER (default: folder= of the configuration,
       else the current folder) along the program&apos;s own road: monitor
       file, drive, database, table Students, password file, help document
       and its viewer, a writable folder, the commands and the session. One
       line per check, judged for the station&apos;s user: run by root, for USER,
       else for the owner of the station folder. Exit status 0 when students
       can sign in and train, 3 when they can sign in but the exercises or
       the trainer&apos;s tools will not start, 1 when nobody can sign in.
       Nothing in the folder is changed.
run    the station&apos;s shell: starts the menu in FOLDER (default: folder= of the
       configuration), runs the command the configuration names for its
       decision and starts the menu again, until the menu decides to leave.
       Problems go to stderr, the system log and the log file. Never as root.
session  the X session &quot;Rulevion station&quot; (rulevion-station-session): sets the
       keyboard layouts (layouts=, layout-switch=), starts the window manager
       (window-manager=) and runs the shell with RULEVION_SESSION=1; when it
       ends, so does everything it started.
log    shows the log file, %3.
setup  makes this machine a station, as root: user, folder, students database,
       password, configuration, autologin and the X server&apos;s flags.

--config FILE  read FILE instead of %2
               and ~/.config/rulevion/station.conf (the latter wins, but is
               read only when root owns it and its folders and the user can
               change none of them)
--root DIR     check: the display manager, the X server and the session are
               those of the system in DIR (a chroot), its users too

A FOLDER given here, and VDM_DRIVES in the environment, win over the
configuration&apos;s folder= and drives=.

Exit status 2: a usage error.
</source>
        <translation>Использование: %1 [--config ФАЙЛ] check [--user ПОЛЬЗОВАТЕЛЬ] [ПАПКА]
       %1 [--config ФАЙЛ] run [ПАПКА]
       %1 [--config ФАЙЛ] session [ПАПКА]
       %1 log
       %1 setup [--list ФАЙЛ] [--password N] … (см. %1 setup --help)
       %1 --help | --version

check  проверяет станцию в ПАПКЕ (по умолчанию folder= из настроек, иначе
       текущей) по пути самой программы: файл монитора, диск, база данных,
       таблица Students, файл пароля, справка и программа ее просмотра,
       право записи в папку, команды и сеанс. По строке на проверку, с
       правами пользователя станции: при запуске от root — ПОЛЬЗОВАТЕЛЯ,
       иначе владельца папки станции. Код выхода 0, если курсанты могут
       войти и заниматься, 3, если войти могут, но упражнения или средства
       тренера не запустятся, 1, если не сможет войти никто. В папке ничего
       не меняется.
run    оболочка станции: запускает меню в ПАПКЕ (по умолчанию folder= из
       настроек), выполняет команду, которую настройки называют для его
       решения, и снова запускает меню, пока меню не решит выйти.
       Ошибки пишутся в stderr, системный журнал и файл журнала. Не от root.
session  X-сеанс «Станция „Рулевион“» (rulevion-station-session): задает
       раскладки клавиатуры (layouts=, layout-switch=), запускает оконный
       менеджер (window-manager=) и оболочку с RULEVION_SESSION=1; когда он
       заканчивается, заканчивается и все, что он запустил.
log    показывает файл журнала, %3.
setup  делает этот компьютер станцией, от root: пользователь, папка, база
       курсантов, пароль, настройки, автовход и флаги X-сервера.

--config ФАЙЛ  читать ФАЙЛ вместо %2
               и ~/.config/rulevion/station.conf (второй важнее, но читается,
               только если он и его папки принадлежат root и пользователь не
               может изменить ни один из них)
--root ПАПКА   check: менеджер входа, X-сервер и сеанс, а также пользователи
               берутся из системы в ПАПКЕ (chroot)

ПАПКА, названная здесь, и VDM_DRIVES в окружении важнее folder= и drives=
из настроек.

Код выхода 2: ошибка в командной строке.
</translation>
    </message>
    <message>
        <location filename="../main.cpp" line="122"/>
        <source>--user needs a user</source>
        <translation>после --user нужен пользователь</translation>
    </message>
    <message>
        <location filename="../main.cpp" line="144"/>
        <source>--user is for check only</source>
        <translation>--user только для check</translation>
    </message>
    <message>
        <location filename="../main.cpp" line="259"/>
        <source>there is no user %1 on this system</source>
        <translation>в этой системе нет пользователя %1</translation>
    </message>
    <message>
        <location filename="../main.cpp" line="264"/>
        <source>Checked for the station&apos;s user %1 (uid %2): root takes its rights for the check.
</source>
        <translation>Проверка для пользователя станции %1 (uid %2): root проверяет с его правами.
</translation>
    </message>
    <message>
        <location filename="../main.cpp" line="272"/>
        <source>%1: could not take the rights of the user %2 for the check
</source>
        <translation>%1: не удалось получить права пользователя %2 для проверки
</translation>
    </message>
    <message>
        <location filename="../main.cpp" line="281"/>
        <source>only root may check for another user than itself</source>
        <translation>проверять для другого пользователя может только root</translation>
    </message>
    <message>
        <location filename="../main.cpp" line="282"/>
        <source>Checked for the user %1 (uid %2), who runs the check.
</source>
        <translation>Проверка для пользователя %1 (uid %2), который ее запустил.
</translation>
    </message>
    <message>
        <location filename="../main.cpp" line="275"/>
        <source>%1: the check with the rights of the user %2 ended abnormally
</source>
        <translation>%1: проверка с правами пользователя %2 завершилась аварийно
</translation>
    </message>
</context>
<context>
    <name>Session</name>
    <message>
        <location filename="../StationSession.cpp" line="46"/>
        <source>%1: %2 is not installed</source>
        <translation>%1: %2 не установлен</translation>
    </message>
    <message>
        <location filename="../StationSession.cpp" line="57"/>
        <source>%1: %2 %3 failed: %4</source>
        <translation>%1: %2 %3 завершился с ошибкой: %4</translation>
    </message>
    <message>
        <location filename="../StationSession.cpp" line="129"/>
        <source>the keyboard layouts %1 cannot be set</source>
        <translation>раскладки клавиатуры %1 не удается задать</translation>
    </message>
    <message>
        <location filename="../StationSession.cpp" line="264"/>
        <source>the session ends what is still running: %1</source>
        <translation>сеанс завершает то, что еще работает: %1</translation>
    </message>
    <message>
        <location filename="../StationSession.cpp" line="286"/>
        <source>the display %1 cannot be reached, so the menu cannot show: the session ends</source>
        <translation>дисплей %1 недоступен, меню негде показать: сеанс завершается</translation>
    </message>
    <message>
        <location filename="../StationSession.cpp" line="323"/>
        <source>the window manager %1 is not installed, so help and boxes may not get the keyboard</source>
        <translation>оконный менеджер %1 не установлен, поэтому помощь и сообщения могут не получить клавиатуру</translation>
    </message>
    <message>
        <location filename="../StationSession.cpp" line="330"/>
        <source>the window manager %1 cannot be started</source>
        <translation>оконный менеджер %1 не удается запустить</translation>
    </message>
    <message>
        <location filename="../StationSession.cpp" line="94"/>
        <source>Ctrl+Alt+Backspace and Ctrl+Alt+F1…F12 still reach the menu</source>
        <translation>Ctrl+Alt+Backspace и Ctrl+Alt+F1…F12 по-прежнему доходят до меню</translation>
    </message>
    <message>
        <location filename="../StationSession.cpp" line="100"/>
        <source>%1: setxkbmap -print failed: %2</source>
        <translation>%1: setxkbmap -print не сработал: %2</translation>
    </message>
    <message>
        <location filename="../StationSession.cpp" line="113"/>
        <source>%1: xkbcomp failed: %2</source>
        <translation>%1: xkbcomp не сработал: %2</translation>
    </message>
    <message>
        <location filename="../StationSession.cpp" line="137"/>
        <source>the console keys cannot be locked</source>
        <translation>клавиши переключения на консоль не удается отключить</translation>
    </message>
    <message>
        <location filename="../StationSession.cpp" line="359"/>
        <source>what the shell runs did not end within %1 s of the stop; it was killed</source>
        <translation>то, что выполняет оболочка, не завершилось за %1 с после остановки и было принудительно завершено</translation>
    </message>
    <message>
        <location filename="../StationSession.cpp" line="377"/>
        <source>the window manager did not end within %1 s; it was killed</source>
        <translation>оконный менеджер не завершился за %1 с и был принудительно завершен</translation>
    </message>
    <message>
        <location filename="../StationSession.cpp" line="291"/>
        <source>the session starts on display %1</source>
        <translation>сеанс начинается на дисплее %1</translation>
    </message>
    <message>
        <location filename="../StationSession.cpp" line="383"/>
        <source>the session ends: stopped by signal %1 (%2)</source>
        <translation>сеанс заканчивается: остановлен сигналом %1 (%2)</translation>
    </message>
    <message>
        <location filename="../StationSession.cpp" line="387"/>
        <source>the session ends: the menu decided to leave</source>
        <translation>сеанс заканчивается: в меню выбран выход</translation>
    </message>
</context>
<context>
    <name>SessionCheck</name>
    <message>
        <location filename="../SessionCheck.cpp" line="32"/>
        <source>the driving exercises</source>
        <translation>ездовые упражнения</translation>
    </message>
    <message>
        <location filename="../SessionCheck.cpp" line="33"/>
        <source>the trainer&apos;s tools</source>
        <translation>средства тренера</translation>
    </message>
    <message>
        <location filename="../SessionCheck.cpp" line="66"/>
        <source>%1= is not set, so %2 do not start and the menu says so: set it in the station&apos;s configuration</source>
        <translation>%1= не задан, поэтому %2 не запускаются и меню сообщает об этом: задайте его в настройках станции</translation>
    </message>
    <message>
        <location filename="../SessionCheck.cpp" line="82"/>
        <source>%1=%2: the program %3 is not installed or not executable, so %4 cannot start</source>
        <translation>%1=%2: программа %3 не установлена или не исполняемая, поэтому %4 не смогут запуститься</translation>
    </message>
    <message>
        <location filename="../SessionCheck.cpp" line="88"/>
        <source>%1=: %2</source>
        <translation>%1=: %2</translation>
    </message>
    <message>
        <location filename="../SessionCheck.cpp" line="105"/>
        <source>%1=: wine, %2 is %3</source>
        <translation>%1=: wine, %2 — это %3</translation>
    </message>
    <message>
        <location filename="../SessionCheck.cpp" line="108"/>
        <source>%1=%2: %3 is %4 on this system, which does not exist, so %5 cannot start: install the program there, or correct drives= or the command</source>
        <translation>%1=%2: %3 на этой системе — %4, а его нет, поэтому %5 не смогут запуститься: установите туда программу или исправьте drives= или команду</translation>
    </message>
    <message>
        <location filename="../SessionCheck.cpp" line="115"/>
        <source>%1=: wine (no Windows path to check)</source>
        <translation>%1=: wine (пути Windows для проверки нет)</translation>
    </message>
    <message>
        <location filename="../SessionCheck.cpp" line="124"/>
        <source>the X session &quot;Rulevion station&quot; is not installed (%1, %2): install the package rulevion-menu</source>
        <translation>X-сеанс «Станция „Рулевион“» не установлен (%1, %2): установите пакет rulevion-menu</translation>
    </message>
    <message>
        <location filename="../SessionCheck.cpp" line="128"/>
        <source>X session &quot;Rulevion station&quot;</source>
        <translation>X-сеанс «Станция „Рулевион“»</translation>
    </message>
    <message>
        <location filename="../SessionCheck.cpp" line="148"/>
        <source>window-manager= is empty: without a window manager the help and the boxes may not get the keyboard</source>
        <translation>window-manager= пуст: без оконного менеджера помощь и сообщения могут не получить клавиатуру</translation>
    </message>
    <message>
        <location filename="../SessionCheck.cpp" line="152"/>
        <source>the window manager %1 is not installed, so the help and the boxes may not get the keyboard: apt install %1</source>
        <translation>оконный менеджер %1 не установлен, поэтому помощь и сообщения могут не получить клавиатуру: apt install %1</translation>
    </message>
    <message>
        <location filename="../SessionCheck.cpp" line="156"/>
        <source>window manager %1</source>
        <translation>оконный менеджер %1</translation>
    </message>
    <message>
        <location filename="../SessionCheck.cpp" line="162"/>
        <source>layouts= is empty: the session keeps the X server&apos;s keyboard, which may not type Cyrillic</source>
        <translation>layouts= пуст: сеанс оставляет клавиатуру X-сервера, на которой может не быть кириллицы</translation>
    </message>
    <message>
        <location filename="../SessionCheck.cpp" line="168"/>
        <source>setxkbmap is missing, so the session cannot set the keyboard layouts: apt install x11-xkb-utils</source>
        <translation>setxkbmap нет, поэтому сеанс не может задать раскладки клавиатуры: apt install x11-xkb-utils</translation>
    </message>
    <message>
        <location filename="../SessionCheck.cpp" line="181"/>
        <source>layouts=%1: no keyboard layout %2 (apt install xkb-data, or correct the name)</source>
        <translation>layouts=%1: нет раскладки клавиатуры %2 (apt install xkb-data или исправьте имя)</translation>
    </message>
    <message>
        <location filename="../SessionCheck.cpp" line="188"/>
        <source>layout-switch=%1 is not a keyboard option of this system: see /usr/share/X11/xkb/rules/evdev.lst, e.g. grp:alt_shift_toggle</source>
        <translation>layout-switch=%1 — не параметр клавиатуры этой системы: см. /usr/share/X11/xkb/rules/evdev.lst, например grp:alt_shift_toggle</translation>
    </message>
    <message>
        <location filename="../SessionCheck.cpp" line="195"/>
        <source>keyboard layouts %1, switched by %2</source>
        <translation>раскладки клавиатуры %1, переключение: %2</translation>
    </message>
    <message>
        <location filename="../SessionCheck.cpp" line="196"/>
        <source>nothing</source>
        <translation>нет</translation>
    </message>
    <message>
        <location filename="../SessionCheck.cpp" line="213"/>
        <source>no display manager (lightdm or nodm) is installed, so the machine does not boot into the menu: see the guide, &quot;Boot into the menu&quot;</source>
        <translation>менеджер входа (lightdm или nodm) не установлен, поэтому компьютер не загружается в меню: см. руководство, «Загрузка в меню»</translation>
    </message>
    <message>
        <location filename="../SessionCheck.cpp" line="223"/>
        <source>lightdm starts the session for %1</source>
        <translation>lightdm запускает сеанс для %1</translation>
    </message>
    <message>
        <location filename="../SessionCheck.cpp" line="232"/>
        <source>nodm starts the session for %1</source>
        <translation>nodm запускает сеанс для %1</translation>
    </message>
    <message>
        <location filename="../SessionCheck.cpp" line="321"/>
        <source>lightdm does not start the session for %1 (autologin-user=%2, autologin-session=%3): write /etc/lightdm/lightdm.conf.d/50-rulevion-station.conf as the guide shows</source>
        <translation>lightdm не запускает сеанс для %1 (autologin-user=%2, autologin-session=%3): запишите /etc/lightdm/lightdm.conf.d/50-rulevion-station.conf, как показано в руководстве</translation>
    </message>
    <message>
        <location filename="../SessionCheck.cpp" line="347"/>
        <source>nodm does not start the session for %1 (NODM_ENABLED=%2, NODM_USER=%3, NODM_XSESSION=%4): set them in /etc/default/nodm as the guide shows</source>
        <translation>nodm не запускает сеанс для %1 (NODM_ENABLED=%2, NODM_USER=%3, NODM_XSESSION=%4): задайте их в /etc/default/nodm, как показано в руководстве</translation>
    </message>
    <message>
        <location filename="../SessionCheck.cpp" line="136"/>
        <source>help in the session: vdm03.pdf, shown by the menu itself</source>
        <translation>справка в сеансе: vdm03.pdf, ее показывает само меню</translation>
    </message>
    <message>
        <location filename="../SessionCheck.cpp" line="139"/>
        <source>vdm03.pdf is not a PDF, so the help shows nothing: cp /usr/share/rulevion/vdm03.pdf into the station folder</source>
        <translation>vdm03.pdf — не PDF, справка ничего не покажет: скопируйте /usr/share/rulevion/vdm03.pdf в папку станции</translation>
    </message>
    <message>
        <location filename="../SessionCheck.cpp" line="278"/>
        <source>the X server switches no consoles and ignores Ctrl+Alt+Backspace (DontVTSwitch, DontZap)</source>
        <translation>X-сервер не переключает консоли и не реагирует на Ctrl+Alt+Backspace (DontVTSwitch, DontZap)</translation>
    </message>
    <message>
        <location filename="../SessionCheck.cpp" line="282"/>
        <source>the X server&apos;s ServerFlags lack %1, so a student may reach a console or end the session before the session&apos;s keyboard is set: rulevion-station setup writes them, or see the guide, &quot;Boot into the menu&quot;</source>
        <translation>в ServerFlags X-сервера нет %1, и курсант может попасть на консоль или завершить сеанс, пока клавиатура сеанса еще не настроена: их записывает rulevion-station setup, см. также руководство, «Запуск станции при включении»</translation>
    </message>
</context>
<context>
    <name>Setup</name>
    <message>
        <location filename="../StationSetup.cpp" line="73"/>
        <source>Usage: %1 setup [--list FILE] [--password N] [--user NAME] [--folder DIR]
                        [--drives DIR] [--root DIR]

Makes this machine a station, as root, once the package is installed: the
station&apos;s user and folder, the monitor file (drive C:), the help document, the
trainer&apos;s password file, the drive folders and the students database, the
configuration %2, autologin into the session &quot;Rulevion station&quot; (nodm or
lightdm, whichever is installed), the X server&apos;s flags against console switching
and Ctrl+Alt+Backspace, Ctrl+Alt+Del and the SysRq keys turned off. Each step
changes only what differs, so it may be run again at any time, for instance
with a new class list. At the end it runs the check as the station&apos;s user and
says what is left to do; then reboot.

--list FILE     the class list, any format rulevion-jetwriter reads; without it
                the students database there is stays
--password N    the trainer&apos;s password (digits); without it the password file
                there is stays, else it is asked for (not shown as typed)
--user NAME     the station&apos;s user (default station), made when missing
--folder DIR    the station folder (default /srv/station)
--drives DIR    the folder holding the Windows drives (default /mnt)
--root DIR      set up the system in DIR instead of / (a chroot)

Exit status: 0 when every step is done, 1 when one failed (it says which and
why; nothing after it is changed), 2 for a usage error.
</source>
        <translation>Использование: %1 setup [--list ФАЙЛ] [--password N] [--user ИМЯ] [--folder ПАПКА]
                        [--drives ПАПКА] [--root ПАПКА]

Делает этот компьютер станцией (от root, после установки пакета):
пользователь и папка станции, файл монитора (диск C:), справка, файл пароля
тренера, папки дисков и база курсантов, настройки %2, автовход в сеанс
«Станция „Рулевион“» (nodm или lightdm, какой установлен), флаги X-сервера
против переключения консолей и Ctrl+Alt+Backspace, выключенные Ctrl+Alt+Del и
клавиши SysRq. Каждый шаг меняет только то, что отличается, поэтому команду
можно запускать снова в любое время, например с новым списком группы. В конце
она запускает проверку от имени пользователя станции и говорит, что осталось
сделать; затем перезагрузите компьютер.

--list ФАЙЛ     список группы в любом формате, который читает rulevion-jetwriter;
                без него остается прежняя база курсантов
--password N    пароль тренера (цифры); без него остается прежний файл пароля,
                а если его нет, пароль спрашивается (без показа на экране)
--user ИМЯ      пользователь станции (по умолчанию station), создается, если его нет
--folder ПАПКА  папка станции (по умолчанию /srv/station)
--drives ПАПКА  папка с дисками Windows (по умолчанию /mnt)
--root ПАПКА    настроить систему в ПАПКЕ вместо / (chroot)

Код выхода: 0, если все шаги выполнены; 1, если какой-то не удался (сказано,
какой и почему; после него ничего не меняется); 2 при ошибке в командной строке.
</translation>
    </message>
    <message>
        <location filename="../StationSetup.cpp" line="103"/>
        <source>%1 setup: %2
Try &apos;%1 setup --help&apos;.
</source>
        <translation>%1 setup: %2
См. «%1 setup --help».
</translation>
    </message>
    <message>
        <location filename="../StationSetup.cpp" line="163"/>
        <source>The trainer&apos;s password (digits): </source>
        <translation>Пароль тренера (цифры): </translation>
    </message>
    <message>
        <location filename="../StationSetup.cpp" line="165"/>
        <source>The same password again: </source>
        <translation>Тот же пароль еще раз: </translation>
    </message>
    <message>
        <location filename="../StationSetup.cpp" line="167"/>
        <source>%1 setup: the two passwords differ; nothing is changed
</source>
        <translation>%1 setup: пароли не совпадают; ничего не изменено
</translation>
    </message>
    <message>
        <location filename="../StationSetup.cpp" line="179"/>
        <source>the password is empty</source>
        <translation>пароль пуст</translation>
    </message>
    <message>
        <location filename="../StationSetup.cpp" line="181"/>
        <source>the password %1 is not digits only, and the password field takes digits only</source>
        <translation>пароль %1 состоит не только из цифр, а поле пароля принимает только цифры</translation>
    </message>
    <message>
        <location filename="../StationSetup.cpp" line="185"/>
        <source>the password %1 is longer than the %2 digits the password field takes</source>
        <translation>пароль %1 длиннее %2 цифр, которые принимает поле пароля</translation>
    </message>
    <message>
        <location filename="../StationSetup.cpp" line="190"/>
        <source>the password %1 is larger than 2147483647</source>
        <translation>пароль %1 больше 2147483647</translation>
    </message>
    <message>
        <location filename="../StationSetup.cpp" line="223"/>
        <source>changed:    %1
</source>
        <translation>изменено:  %1
</translation>
    </message>
    <message>
        <location filename="../StationSetup.cpp" line="224"/>
        <source>as it was:  %1
</source>
        <translation>как было:  %1
</translation>
    </message>
    <message>
        <location filename="../StationSetup.cpp" line="228"/>
        <source>%1 setup: %2; the steps after it are not done
</source>
        <translation>%1 setup: %2; следующие шаги не выполнены
</translation>
    </message>
    <message>
        <location filename="../StationSetup.cpp" line="245"/>
        <source>%1 setup: the station has no trainer&apos;s password yet: give it with --password N
</source>
        <translation>%1 setup: у станции еще нет пароля тренера: укажите его, --password N
</translation>
    </message>
    <message>
        <location filename="../StationSetup.cpp" line="260"/>
        <source>%1 setup: %2; nothing is changed
</source>
        <translation>%1 setup: %2; ничего не изменено
</translation>
    </message>
    <message>
        <location filename="../StationSetup.cpp" line="272"/>
        <source>no temporary folder: %1</source>
        <translation>нет временной папки: %1</translation>
    </message>
    <message>
        <location filename="../StationSetup.cpp" line="278"/>
        <source>rulevion-jetwriter is not installed: install the package rulevion-menu</source>
        <translation>rulevion-jetwriter не установлен: установите пакет rulevion-menu</translation>
    </message>
    <message>
        <location filename="../StationSetup.cpp" line="293"/>
        <source>%1 setup: the class list %2 cannot be used (see above); nothing is changed
</source>
        <translation>%1 setup: список группы %2 нельзя использовать (см. выше); ничего не изменено
</translation>
    </message>
    <message>
        <location filename="../StationSetup.cpp" line="300"/>
        <source>%1 cannot be read: %2</source>
        <translation>%1 не читается: %2</translation>
    </message>
    <message>
        <location filename="../StationSetup.cpp" line="319"/>
        <source>the user %1 cannot be made: useradd %2: %3</source>
        <translation>пользователя %1 не удалось создать: useradd %2: %3</translation>
    </message>
    <message>
        <location filename="../StationSetup.cpp" line="328"/>
        <source>the user %1 is not in %2</source>
        <translation>пользователя %1 нет в %2</translation>
    </message>
    <message>
        <location filename="../StationSetup.cpp" line="330"/>
        <source>the user %1 has root&apos;s rights (uid 0), which a student must never have: name another user with --user</source>
        <translation>у пользователя %1 права root (uid 0), которых у курсанта быть не должно: укажите другого пользователя, --user</translation>
    </message>
    <message>
        <location filename="../StationSetup.cpp" line="334"/>
        <source>the station&apos;s user %1 (uid %2)</source>
        <translation>пользователь станции %1 (uid %2)</translation>
    </message>
    <message>
        <location filename="../StationSetup.cpp" line="351"/>
        <source>%1 is a file where a folder belongs</source>
        <translation>%1 — файл там, где должна быть папка</translation>
    </message>
    <message>
        <location filename="../StationSetup.cpp" line="357"/>
        <source>the folder %1 cannot be made: %2</source>
        <translation>папку %1 не удалось создать: %2</translation>
    </message>
    <message>
        <location filename="../StationSetup.cpp" line="373"/>
        <source>%1: %2</source>
        <translation>%1: %2</translation>
    </message>
    <message>
        <location filename="../StationSetup.cpp" line="384"/>
        <source>%1 cannot be given its owner and mode: %2</source>
        <translation>%1: не удалось задать владельца и права: %2</translation>
    </message>
    <message>
        <location filename="../StationSetup.cpp" line="408"/>
        <location filename="../StationSetup.cpp" line="422"/>
        <source>%1 cannot be written: %2</source>
        <translation>%1 не записывается: %2</translation>
    </message>
    <message>
        <location filename="../StationSetup.cpp" line="432"/>
        <source>the station folder %1, %2&apos;s</source>
        <translation>папка станции %1, владелец %2</translation>
    </message>
    <message>
        <location filename="../StationSetup.cpp" line="441"/>
        <source>the help document vdm03.pdf</source>
        <translation>справка vdm03.pdf</translation>
    </message>
    <message>
        <location filename="../StationSetup.cpp" line="443"/>
        <source>the help document %1 is missing: install the package rulevion-menu again, then run setup again</source>
        <translation>нет справки %1: установите пакет rulevion-menu заново и снова запустите setup</translation>
    </message>
    <message>
        <location filename="../StationSetup.cpp" line="456"/>
        <source>the monitor file __monitor.txt</source>
        <translation>файл монитора __monitor.txt</translation>
    </message>
    <message>
        <location filename="../StationSetup.cpp" line="465"/>
        <source>the trainer&apos;s password file %1</source>
        <translation>файл пароля тренера %1</translation>
    </message>
    <message>
        <location filename="../StationSetup.cpp" line="475"/>
        <source>the drive folders, %1 for drive C:</source>
        <translation>папки дисков, %1 для диска C:</translation>
    </message>
    <message>
        <location filename="../StationSetup.cpp" line="478"/>
        <source>no students database yet: run setup again with the class list, --list FILE</source>
        <translation>базы курсантов еще нет: снова запустите setup со списком группы, --list ФАЙЛ</translation>
    </message>
    <message>
        <location filename="../StationSetup.cpp" line="484"/>
        <source>the students database %1, from %2</source>
        <translation>база курсантов %1 из %2</translation>
    </message>
    <message>
        <location filename="../StationSetup.cpp" line="502"/>
        <source>the configuration %1 (folder=, drives=, exercises=, trainer=)</source>
        <translation>настройки %1 (folder=, drives=, exercises=, trainer=)</translation>
    </message>
    <message>
        <location filename="../StationSetup.cpp" line="515"/>
        <source>no display manager: apt install --no-install-recommends xserver-xorg nodm, then run setup again</source>
        <translation>нет менеджера входа: apt install --no-install-recommends xserver-xorg nodm, затем снова запустите setup</translation>
    </message>
    <message>
        <location filename="../StationSetup.cpp" line="545"/>
        <source>%1 setup: debconf-set-selections failed, so a reconfiguration of nodm may undo its autologin: %2
</source>
        <translation>%1 setup: debconf-set-selections не сработал, и перенастройка nodm может отменить автовход: %2
</translation>
    </message>
    <message>
        <location filename="../StationSetup.cpp" line="550"/>
        <source>nodm starts the session for %1 (%2)</source>
        <translation>nodm запускает сеанс для %1 (%2)</translation>
    </message>
    <message>
        <location filename="../StationSetup.cpp" line="568"/>
        <source>lightdm starts the session for %1 (%2)</source>
        <translation>lightdm запускает сеанс для %1 (%2)</translation>
    </message>
    <message>
        <location filename="../StationSetup.cpp" line="576"/>
        <source>the X server switches no consoles and ignores Ctrl+Alt+Backspace (%1)</source>
        <translation>X-сервер не переключает консоли и не реагирует на Ctrl+Alt+Backspace (%1)</translation>
    </message>
    <message>
        <location filename="../StationSetup.cpp" line="588"/>
        <source>%1 cannot be made: %2</source>
        <translation>%1 не удалось создать: %2</translation>
    </message>
    <message>
        <location filename="../StationSetup.cpp" line="593"/>
        <source>Ctrl+Alt+Del does nothing (ctrl-alt-del.target masked, %1)</source>
        <translation>Ctrl+Alt+Del ничего не делает (ctrl-alt-del.target замаскирован, %1)</translation>
    </message>
    <message>
        <location filename="../StationSetup.cpp" line="599"/>
        <source>the SysRq keys are off (%1)</source>
        <translation>клавиши SysRq выключены (%1)</translation>
    </message>
    <message>
        <location filename="../StationSetup.cpp" line="605"/>
        <source>
The check, as %1:
</source>
        <translation>
Проверка от имени %1:
</translation>
    </message>
    <message>
        <location filename="../StationSetup.cpp" line="631"/>
        <source>%1 setup: the check cannot start: setpriv: %2
</source>
        <translation>%1 setup: проверка не запускается: setpriv: %2
</translation>
    </message>
    <message>
        <location filename="../StationSetup.cpp" line="643"/>
        <location filename="../StationSetup.cpp" line="644"/>
        <source>install Wine: apt install --no-install-recommends wine</source>
        <translation>установите Wine: apt install --no-install-recommends wine</translation>
    </message>
    <message>
        <location filename="../StationSetup.cpp" line="653"/>
        <source>%1 is not there: mount the share that holds the exercise programs on %2, or copy them there</source>
        <translation>%1 нет: подключите сетевую папку с программами упражнений к %2 или скопируйте их туда</translation>
    </message>
    <message>
        <location filename="../StationSetup.cpp" line="658"/>
        <source>reboot: the station then starts into the menu</source>
        <translation>перезагрузите компьютер: станция запустится сразу в меню</translation>
    </message>
    <message>
        <location filename="../StationSetup.cpp" line="659"/>
        <source>
Left to do:
</source>
        <translation>
Осталось сделать:
</translation>
    </message>
    <message>
        <location filename="../StationSetup.cpp" line="713"/>
        <source>%1 needs a value</source>
        <translation>%1: нужно значение</translation>
    </message>
    <message>
        <location filename="../StationSetup.cpp" line="721"/>
        <source>unknown argument %1</source>
        <translation>неизвестный аргумент %1</translation>
    </message>
    <message>
        <location filename="../StationSetup.cpp" line="725"/>
        <source>%1 cannot be the station&apos;s user: a name of small Latin letters, digits, - and _, not root</source>
        <translation>%1 не может быть пользователем станции: нужно имя из строчных латинских букв, цифр, - и _, не root</translation>
    </message>
    <message>
        <location filename="../StationSetup.cpp" line="730"/>
        <source>%1 is not an absolute path</source>
        <translation>%1 — не абсолютный путь</translation>
    </message>
    <message>
        <location filename="../StationSetup.cpp" line="734"/>
        <source>--root %1 is not a folder</source>
        <translation>--root %1 — не папка</translation>
    </message>
    <message>
        <location filename="../StationSetup.cpp" line="737"/>
        <source>%1 setup: only root can set a station up: sudo %1 setup …
</source>
        <translation>%1 setup: настроить станцию может только root: sudo %1 setup …
</translation>
    </message>
    <message>
        <location filename="../StationSetup.cpp" line="370"/>
        <source>%1 is a symbolic link, which setup does not follow: remove it and run setup again</source>
        <translation>%1 — символическая ссылка, по которой setup не переходит: удалите ее и снова запустите setup</translation>
    </message>
    <message>
        <location filename="../StationSetup.cpp" line="169"/>
        <source>%1 setup: no password was typed; nothing is changed
</source>
        <translation>%1 setup: пароль не введен; ничего не изменено
</translation>
    </message>
</context>
<context>
    <name>Shell</name>
    <message>
        <location filename="../StationShell.cpp" line="180"/>
        <source>could not be started (%1)</source>
        <translation>не запускается (%1)</translation>
    </message>
    <message>
        <location filename="../StationShell.cpp" line="183"/>
        <source>ended by signal %1 (%2)</source>
        <translation>прервано сигналом %1 (%2)</translation>
    </message>
    <message>
        <location filename="../StationShell.cpp" line="187"/>
        <source>could not be started (command not found)</source>
        <translation>не запускается (команда не найдена)</translation>
    </message>
    <message>
        <location filename="../StationShell.cpp" line="188"/>
        <source>could not be started (not executable)</source>
        <translation>не запускается (файл не исполняемый)</translation>
    </message>
    <message>
        <location filename="../StationShell.cpp" line="189"/>
        <source>ended with status %1</source>
        <translation>завершено с кодом %1</translation>
    </message>
    <message>
        <location filename="../StationShell.cpp" line="214"/>
        <source>the station folder %1 does not exist</source>
        <translation>папки станции %1 нет</translation>
    </message>
    <message>
        <location filename="../StationShell.cpp" line="325"/>
        <source>the old decision %1 cannot be removed (%2); the menu&apos;s next decision cannot be told from it</source>
        <translation>старое решение %1 нельзя удалить (%2); следующее решение меню нельзя отличить от него</translation>
    </message>
    <message>
        <location filename="../StationShell.cpp" line="333"/>
        <source>the menu %1; it is started again</source>
        <translation>меню: %1; оно запускается снова</translation>
    </message>
    <message>
        <location filename="../StationShell.cpp" line="342"/>
        <source>the menu left no decision in %1; it is started again</source>
        <translation>меню не оставило решения в %1; оно запускается снова</translation>
    </message>
    <message>
        <location filename="../StationShell.cpp" line="347"/>
        <source>the menu left an unknown decision &quot;%1&quot; in %2; it is started again</source>
        <translation>меню оставило неизвестное решение «%1» в %2; оно запускается снова</translation>
    </message>
    <message>
        <location filename="../StationShell.cpp" line="380"/>
        <source>decision %1: no command is configured (%2=); the menu is started again</source>
        <translation>решение %1: команда не задана (%2=); меню запускается снова</translation>
    </message>
    <message>
        <location filename="../StationShell.cpp" line="388"/>
        <source>decision %1: the command %2=%3 %4; the menu is started again</source>
        <translation>решение %1: команда %2=%3: %4; меню запускается снова</translation>
    </message>
    <message>
        <location filename="../StationShell.cpp" line="408"/>
        <source>the menu failed or ended within %1 s of its start %2 times in a row; it is started again in %3 s</source>
        <translation>меню %2 раз подряд завершилось с ошибкой или в пределах %1 с после запуска; оно будет запущено снова через %3 с</translation>
    </message>
    <message>
        <location filename="../StationShell.cpp" line="304"/>
        <source>the last lines it wrote to stderr:
%1</source>
        <translation>последние строки из потока ошибок:
%1</translation>
    </message>
    <message>
        <location filename="../StationShell.cpp" line="311"/>
        <source>the menu failed and its crash guard ended it</source>
        <translation>в меню произошел сбой, и его защита от сбоев завершила его</translation>
    </message>
    <message>
        <location filename="../StationShell.cpp" line="314"/>
        <source>the menu ended through its fatal exit, after its error box</source>
        <translation>меню завершилось через аварийный выход после своего сообщения об ошибке</translation>
    </message>
</context>
</TS>
