<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ru_RU">
<context>
    <name>Check</name>
    <message>
        <source>station folder %1 does not exist: create it, or name the right one</source>
        <translation>папки станции %1 нет: создайте ее или укажите нужную</translation>
    </message>
    <message>
        <source>station folder %1</source>
        <translation>папка станции %1</translation>
    </message>
    <message>
        <source>%1: the database is on drive C:</source>
        <translation>%1: база данных на диске C:</translation>
    </message>
    <message>
        <source>%1: the database is on drive D:</source>
        <translation>%1: база данных на диске D:</translation>
    </message>
    <message>
        <source>%1 is missing or cannot be read: copy it from the station&apos;s set-up into the station folder</source>
        <translation>%1 нет или его нельзя прочитать: скопируйте его из установки станции в папку станции</translation>
    </message>
    <message>
        <source>%1 has fewer than three lines: its third line must begin with 1 (drive C:) or 0 (drive D:)</source>
        <translation>в %1 меньше трех строк: третья строка должна начинаться с 1 (диск C:) или 0 (диск D:)</translation>
    </message>
    <message>
        <source>%1: the third line does not begin with 1 (drive C:) or 0 (drive D:): correct it</source>
        <translation>%1: третья строка не начинается с 1 (диск C:) или 0 (диск D:): исправьте ее</translation>
    </message>
    <message>
        <source>VDM_DRIVES=%1</source>
        <translation>VDM_DRIVES=%1</translation>
    </message>
    <message>
        <source>VDM_DRIVES is not set, so drives lie under /mnt</source>
        <translation>VDM_DRIVES не задана, поэтому диски находятся в /mnt</translation>
    </message>
    <message>
        <source>drive %1 is the folder %2, which does not exist (%3): %4 chooses drive %1 (its third line); if that is the wrong drive, correct the line (1 for C:, 0 for D:), else create the folder or set drives= in the station&apos;s configuration%5</source>
        <translation>диск %1 — это папка %2, которой нет (%3): %4 выбирает диск %1 (третья строка); если диск не тот, исправьте строку (1 — C:, 0 — D:), иначе создайте папку или задайте drives= в настройках станции%5</translation>
    </message>
    <message>
        <source>. The database is on drive %1 (%2): the third line should be %3</source>
        <translation>. База данных есть на диске %1 (%2): третья строка должна быть %3</translation>
    </message>
    <message>
        <source>drive %1 is the folder %2</source>
        <translation>диск %1 — это папка %2</translation>
    </message>
    <message>
        <source>the database %1 is not there (%2 is missing): write it with rulevion-jetwriter students</source>
        <translation>базы данных %1 нет (нет %2): запишите ее командой rulevion-jetwriter students</translation>
    </message>
    <message>
        <source>the database %1 is not a file that can be read: replace it, or let the station&apos;s user read it</source>
        <translation>база данных %1 — не файл, который можно прочитать: замените ее или дайте пользователю станции право чтения</translation>
    </message>
    <message>
        <source>the database %1 cannot be read (%2)</source>
        <translation>базу данных %1 нельзя прочитать (%2)</translation>
    </message>
    <message>
        <source>database file %1</source>
        <translation>файл базы данных %1</translation>
    </message>
    <message>
        <source>the database reader %1 is missing: reinstall the package</source>
        <translation>программы чтения базы данных %1 нет: переустановите пакет</translation>
    </message>
    <message>
        <source>the database is encrypted: save it without a password in Access (File, Info, Decrypt)</source>
        <translation>база данных зашифрована: сохраните ее без пароля в Access (Файл, Сведения, Расшифровать базу данных)</translation>
    </message>
    <message>
        <source>table %1: column %2 is missing or not of the kind %3: write the database anew with rulevion-jetwriter students</source>
        <translation>таблица %1: столбца %2 нет или его тип не %3: запишите базу данных заново командой rulevion-jetwriter students</translation>
    </message>
    <message>
        <source>table %1 with its six columns</source>
        <translation>таблица %1 и ее шесть столбцов</translation>
    </message>
    <message>
        <source>Long Integer</source>
        <translation>«Длинное целое»</translation>
    </message>
    <message>
        <source>Text</source>
        <translation>«Текстовый»</translation>
    </message>
    <message>
        <source>table %1 holds no students: write the class list into it with rulevion-jetwriter students</source>
        <translation>в таблице %1 нет ни одного курсанта: запишите в нее список группы командой rulevion-jetwriter students</translation>
    </message>
    <message numerus="yes">
        <source>%n student(s)</source>
        <translation>
            <numerusform>%n курсант</numerusform>
            <numerusform>%n курсанта</numerusform>
            <numerusform>%n курсантов</numerusform>
        </translation>
    </message>
    <message>
        <source>record-book numbers that occur more than once (letter case aside), only the first of each can sign in: %1; correct the class list</source>
        <translation>номера зачеток, которые встречаются больше одного раза (без учета регистра букв), войти может только первый из них: %1; исправьте список группы</translation>
    </message>
    <message>
        <source>record-book numbers with blanks at the start or end, which nobody types: %1; correct the class list</source>
        <translation>номера зачеток с пробелами в начале или в конце, их никто не наберет: %1; исправьте список группы</translation>
    </message>
    <message>
        <source>record-book numbers as a spreadsheet writes numbers it holds as numbers (exponent form, a decimal zero, fewer digits than most: leading zeros lost), which the cards most likely read otherwise: %1; format the record-book column as text and write the database again</source>
        <translation>номера зачеток в том виде, в каком электронная таблица пишет хранимые как числа значения (экспоненциальная форма, десятичный ноль, цифр меньше, чем у большинства: потеряны ведущие нули), а в зачетках они, скорее всего, другие: %1; задайте столбцу номеров текстовый формат и запишите базу данных заново</translation>
    </message>
    <message numerus="yes">
        <source>%n student(s) without a record-book number, who cannot sign in: correct the class list</source>
        <translation>
            <numerusform>%n курсант без номера зачетки не сможет войти: исправьте список группы</numerusform>
            <numerusform>%n курсанта без номера зачетки не смогут войти: исправьте список группы</numerusform>
            <numerusform>%n курсантов без номера зачетки не смогут войти: исправьте список группы</numerusform>
        </translation>
    </message>
    <message>
        <source>%1 exists but cannot be read, so the trainer&apos;s button ends the program (%2)</source>
        <translation>%1 есть, но его нельзя прочитать, поэтому кнопка «Т р е н е р» завершит программу (%2)</translation>
    </message>
    <message>
        <source>%1 is missing or cannot be read, so the trainer&apos;s button ends the program: write it with rulevion-jetwriter password</source>
        <translation>%1 нет или его нельзя прочитать, поэтому кнопка «Т р е н е р» завершит программу: запишите его командой rulevion-jetwriter password</translation>
    </message>
    <message>
        <source>%1 is shorter than 8 bytes</source>
        <translation>%1 короче 8 байтов</translation>
    </message>
    <message>
        <source>%1 is not a password file (its first 4 bytes are not %2)</source>
        <translation>%1 не файл пароля (его первые 4 байта не %2)</translation>
    </message>
    <message>
        <source>%1 holds the password %2, which the password field cannot take (digits only)</source>
        <translation>в %1 пароль %2, который нельзя набрать в поле пароля (только цифры)</translation>
    </message>
    <message>
        <source>%1: write it anew with rulevion-jetwriter password</source>
        <translation>%1: запишите его заново командой rulevion-jetwriter password</translation>
    </message>
    <message>
        <source>password file %1</source>
        <translation>файл пароля %1</translation>
    </message>
    <message>
        <source>%1 is missing, so the help button shows nothing: cp /usr/share/rulevion/%1 into the station folder</source>
        <translation>%1 нет, поэтому кнопка «П о м о щ ь» ничего не покажет: скопируйте /usr/share/rulevion/%1 в папку станции</translation>
    </message>
    <message>
        <source>help document %1</source>
        <translation>справка %1</translation>
    </message>
    <message>
        <source>xdg-open is missing, so the help document cannot be opened: install xdg-utils</source>
        <translation>нет xdg-open, поэтому справку нельзя открыть: установите xdg-utils</translation>
    </message>
    <message>
        <source>no PDF viewer found: install one (any package that provides pdf-viewer, e.g. evince)</source>
        <translation>нет программы просмотра PDF: установите ее (любой пакет, который предоставляет pdf-viewer, например evince)</translation>
    </message>
    <message>
        <source>PDF viewer %1</source>
        <translation>программа просмотра PDF %1</translation>
    </message>
    <message>
        <source>the station folder is not writable, so no decision and no sign-in can be written: let the station&apos;s user write in it</source>
        <translation>в папку станции нельзя писать, поэтому ни решение, ни запись о входе не будут записаны: дайте пользователю станции право записи</translation>
    </message>
    <message>
        <source>%1 cannot be written: remove it, or let the station&apos;s user write it</source>
        <translation>в %1 нельзя писать: удалите его или дайте пользователю станции право записи</translation>
    </message>
    <message>
        <source>the station folder is writable</source>
        <translation>в папку станции можно писать</translation>
    </message>
    <message>
        <source>passed:  %1</source>
        <translation>в порядке: %1</translation>
    </message>
    <message>
        <source>PROBLEM: %1</source>
        <translation>ЗАМЕЧАНИЕ: %1</translation>
    </message>
    <message>
        <source>FAILED:  %1</source>
        <translation>ОШИБКА:   %1</translation>
    </message>
    <message>
        <source>owner %1, mode %2; the station&apos;s user %3 cannot read it: %4, or %5</source>
        <translation>владелец %1, права %2; пользователь станции %3 не может его прочитать: %4 или %5</translation>
    </message>
    <message>
        <source>drive %1 is the share %2, which is not mounted on %3, where the system&apos;s mount table (fstab) puts it: mount it with: %4</source>
        <translation>диск %1 — это общий ресурс %2, который не подключен к %3, куда его подключает системная таблица (fstab): подключите его командой %4</translation>
    </message>
    <message>
        <source>drive %1 is the folder %2, which is empty: the share that holds the database is not mounted there. Mount it (for example: %3, with its line in /etc/fstab), then check again</source>
        <translation>диск %1 — это папка %2, и она пуста: общий ресурс с базой данных к ней не подключен. Подключите его (например, %3, со строкой в /etc/fstab) и проверьте снова</translation>
    </message>
    <message>
        <source>it is not a database, or it is damaged</source>
        <translation>это не база данных, или она повреждена</translation>
    </message>
    <message>
        <source>it is damaged</source>
        <translation>она повреждена</translation>
    </message>
    <message>
        <source>the database reader stopped on it: it is damaged</source>
        <translation>программа чтения базы данных остановилась на ней: база повреждена</translation>
    </message>
    <message>
        <source>the database reader is missing: reinstall the package</source>
        <translation>нет программы чтения базы данных: переустановите пакет</translation>
    </message>
    <message>
        <source>the file cannot be opened</source>
        <translation>файл нельзя открыть</translation>
    </message>
    <message>
        <source>it cannot be read</source>
        <translation>ее нельзя прочитать</translation>
    </message>
    <message>
        <source>the database cannot be opened: %1; write it anew with rulevion-jetwriter students</source>
        <translation>базу данных нельзя открыть: %1; запишите ее заново командой rulevion-jetwriter students</translation>
    </message>
    <message>
        <source>the database has no table %1: it is another database, or a damaged one; write it anew with rulevion-jetwriter students</source>
        <translation>в базе данных нет таблицы %1: это другая база данных или поврежденная; запишите ее заново командой rulevion-jetwriter students</translation>
    </message>
    <message>
        <source>table %1 cannot be read: %2; write the database anew with rulevion-jetwriter students</source>
        <translation>таблицу %1 нельзя прочитать: %2; запишите базу данных заново командой rulevion-jetwriter students</translation>
    </message>
    <message>
        <source>the students cannot be read: %1; write the database anew with rulevion-jetwriter students</source>
        <translation>курсантов нельзя прочитать: %1; запишите базу данных заново командой rulevion-jetwriter students</translation>
    </message>
    <message>
        <source>&quot;%1&quot;</source>
        <comment>a record-book number in quotes</comment>
        <translation>«%1»</translation>
    </message>
    <message>
        <source>the check ran as root for want of a station user, and root may read and write anything: name the station&apos;s user (check --user NAME), or give it the station folder</source>
        <translation>проверка шла от root, так как пользователь станции неизвестен, а root может читать и писать все: назовите пользователя станции (check --user ИМЯ) или передайте ему папку станции</translation>
    </message>
    <message>
        <source>Students can sign in and train at this station.</source>
        <translation>На этой станции курсанты могут войти и заниматься.</translation>
    </message>
    <message>
        <source>Students can sign in at this station, but %1 will not start until the failures above are put right.</source>
        <translation>На этой станции курсанты могут войти, но %1 не запустятся, пока не исправлены ошибки выше.</translation>
    </message>
    <message>
        <source> and </source>
        <translation> и </translation>
    </message>
    <message>
        <source>No student can sign in at this station until the failures above are put right.</source>
        <translation>Ни один курсант не сможет войти на этой станции, пока не исправлены ошибки выше.</translation>
    </message>
</context>
<context>
    <name>Config</name>
    <message>
        <source>pause takes a number of seconds from 0 to 3600</source>
        <translation>pause — число секунд от 0 до 3600</translation>
    </message>
    <message>
        <source>unknown key &quot;%1&quot;</source>
        <translation>неизвестный ключ «%1»</translation>
    </message>
    <message>
        <source>not a KEY=VALUE line</source>
        <translation>строка не вида КЛЮЧ=ЗНАЧЕНИЕ</translation>
    </message>
    <message>
        <source>%1, line %2: %3, passed over</source>
        <translation>%1, строка %2: %3, пропущена</translation>
    </message>
    <message>
        <source>%1 cannot be found</source>
        <translation>%1 не найден</translation>
    </message>
    <message>
        <source>%1 cannot be examined</source>
        <translation>%1 не удается проверить</translation>
    </message>
    <message>
        <source>%1 does not belong to root</source>
        <translation>%1 принадлежит не root</translation>
    </message>
    <message>
        <source>the station&apos;s user can change %1</source>
        <translation>пользователь станции может изменить %1</translation>
    </message>
</context>
<context>
    <name>Log</name>
    <message>
        <source>%1: the log file %2 cannot be written
</source>
        <translation>%1: файл журнала %2 не удается записать
</translation>
    </message>
</context>
<context>
    <name>Main</name>
    <message>
        <source>%1: %2
Try &apos;%1 --help&apos;.
</source>
        <translation>%1: %2
Подробнее: «%1 --help».
</translation>
    </message>
    <message>
        <source>--config needs a file</source>
        <translation>после --config нужен файл</translation>
    </message>
    <message>
        <source>unknown option %1</source>
        <translation>неизвестный параметр %1</translation>
    </message>
    <message>
        <source>unknown command %1</source>
        <translation>неизвестная команда %1</translation>
    </message>
    <message>
        <source>one station folder at most</source>
        <translation>можно указать только одну папку станции</translation>
    </message>
    <message>
        <source>%1: the configuration file %2 cannot be read
</source>
        <translation>%1: файл настроек %2 нельзя прочитать
</translation>
    </message>
    <message>
        <source>no station folder: name one, or set folder= in %1</source>
        <translation>нет папки станции: укажите ее или задайте folder= в %1</translation>
    </message>
    <message>
        <source>say check, run, session or log</source>
        <translation>укажите check, run, session или log</translation>
    </message>
    <message>
        <source>log takes no arguments</source>
        <translation>log не принимает аргументов</translation>
    </message>
    <message>
        <source>%1: the station does not run as root; start %2 as the station&apos;s own user (adduser station, chown it the station folder)
</source>
        <translation>%1: станция не работает от root; запустите %2 от собственного пользователя станции (adduser station, отдайте ему папку станции через chown)
</translation>
    </message>
    <message>
        <source>%1: the station does not run as root; start %2 as %3, the owner of %4: su %3 -c &apos;%2&apos;
</source>
        <translation>%1: станция не работает от root; запустите %2 от %3, владельца %4: su %3 -c &apos;%2&apos;
</translation>
    </message>
    <message>
        <source>%1: no display (DISPLAY is not set), so the menu cannot show: start the station in its X session &quot;Rulevion station&quot;
</source>
        <translation>%1: нет дисплея (DISPLAY не задан), меню негде показать: запускайте станцию в ее X-сеансе «Станция „Рулевион“»
</translation>
    </message>
    <message>
        <source>%1: nothing is logged in %2
</source>
        <translation>%1: в %2 ничего не записано
</translation>
    </message>
    <message>
        <source>%1 is not read: %2; only files the station&apos;s user cannot change decide what the station runs</source>
        <translation>%1 не читается: %2; что запускает станция, решают только файлы, которые ее пользователь не может изменить</translation>
    </message>
    <message>
        <source>--user needs a user</source>
        <translation>после --user нужен пользователь</translation>
    </message>
    <message>
        <source>--user is for check only</source>
        <translation>--user только для check</translation>
    </message>
    <message>
        <source>there is no user %1 on this system</source>
        <translation>в этой системе нет пользователя %1</translation>
    </message>
    <message>
        <source>Checked for the station&apos;s user %1 (uid %2): root takes its rights for the check.
</source>
        <translation>Проверка для пользователя станции %1 (uid %2): root проверяет с его правами.
</translation>
    </message>
    <message>
        <source>%1: could not take the rights of the user %2 for the check
</source>
        <translation>%1: не удалось получить права пользователя %2 для проверки
</translation>
    </message>
    <message>
        <source>only root may check for another user than itself</source>
        <translation>проверять для другого пользователя может только root</translation>
    </message>
    <message>
        <source>Checked for the user %1 (uid %2), who runs the check.
</source>
        <translation>Проверка для пользователя %1 (uid %2), который ее запустил.
</translation>
    </message>
    <message>
        <source>%1: the check with the rights of the user %2 ended abnormally
</source>
        <translation>%1: проверка с правами пользователя %2 завершилась аварийно
</translation>
    </message>
    <message>
        <source>Usage: %1 [--config FILE] check [--user USER] [FOLDER]
       %1 [--config FILE] run [FOLDER]
       %1 [--config FILE] session [FOLDER]
       %1 log
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

--config FILE  read FILE instead of %2
               and ~/.config/rulevion/station.conf (the latter wins, but is
               read only when root owns it and its folders and the user can
               change none of them)

A FOLDER given here, and VDM_DRIVES in the environment, win over the
configuration&apos;s folder= and drives=.

Exit status 2: a usage error.
</source>
        <translation>Использование: %1 [--config ФАЙЛ] check [--user ПОЛЬЗОВАТЕЛЬ] [ПАПКА]
       %1 [--config ФАЙЛ] run [ПАПКА]
       %1 [--config ФАЙЛ] session [ПАПКА]
       %1 log
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

--config ФАЙЛ  читать ФАЙЛ вместо %2
               и ~/.config/rulevion/station.conf (второй важнее, но читается,
               только если он и его папки принадлежат root и пользователь не
               может изменить ни один из них)

ПАПКА, названная здесь, и VDM_DRIVES в окружении важнее folder= и drives=
из настроек.

Код выхода 2: ошибка в командной строке.
</translation>
    </message>
</context>
<context>
    <name>Session</name>
    <message>
        <source>%1: %2 is not installed</source>
        <translation>%1: %2 не установлен</translation>
    </message>
    <message>
        <source>%1: %2 %3 failed: %4</source>
        <translation>%1: %2 %3 завершился с ошибкой: %4</translation>
    </message>
    <message>
        <source>the keyboard layouts %1 cannot be set</source>
        <translation>раскладки клавиатуры %1 не удается задать</translation>
    </message>
    <message>
        <source>the session ends what is still running: %1</source>
        <translation>сеанс завершает то, что еще работает: %1</translation>
    </message>
    <message>
        <source>the display %1 cannot be reached, so the menu cannot show: the session ends</source>
        <translation>дисплей %1 недоступен, меню негде показать: сеанс завершается</translation>
    </message>
    <message>
        <source>the window manager %1 is not installed, so help and boxes may not get the keyboard</source>
        <translation>оконный менеджер %1 не установлен, поэтому помощь и сообщения могут не получить клавиатуру</translation>
    </message>
    <message>
        <source>the window manager %1 cannot be started</source>
        <translation>оконный менеджер %1 не удается запустить</translation>
    </message>
    <message>
        <source>the console keys cannot be locked</source>
        <translation>клавиши переключения на консоль не удается отключить</translation>
    </message>
    <message>
        <source>what the shell runs did not end within %1 s of the stop; it was killed</source>
        <translation>то, что выполняет оболочка, не завершилось за %1 с после остановки и было принудительно завершено</translation>
    </message>
    <message>
        <source>the window manager did not end within %1 s; it was killed</source>
        <translation>оконный менеджер не завершился за %1 с и был принудительно завершен</translation>
    </message>
    <message>
        <source>the session starts on display %1</source>
        <translation>сеанс начинается на дисплее %1</translation>
    </message>
    <message>
        <source>the session ends: stopped by signal %1 (%2)</source>
        <translation>сеанс заканчивается: остановлен сигналом %1 (%2)</translation>
    </message>
    <message>
        <source>the session ends: the menu decided to leave</source>
        <translation>сеанс заканчивается: в меню выбран выход</translation>
    </message>
</context>
<context>
    <name>SessionCheck</name>
    <message>
        <source>the driving exercises</source>
        <translation>ездовые упражнения</translation>
    </message>
    <message>
        <source>the trainer&apos;s tools</source>
        <translation>средства тренера</translation>
    </message>
    <message>
        <source>%1= is not set, so %2 do not start and the menu says so: set it in the station&apos;s configuration</source>
        <translation>%1= не задан, поэтому %2 не запускаются и меню сообщает об этом: задайте его в настройках станции</translation>
    </message>
    <message>
        <source>%1=%2: the program %3 is not installed or not executable, so %4 cannot start</source>
        <translation>%1=%2: программа %3 не установлена или не исполняемая, поэтому %4 не смогут запуститься</translation>
    </message>
    <message>
        <source>%1=: %2</source>
        <translation>%1=: %2</translation>
    </message>
    <message>
        <source>%1=: wine, %2 is %3</source>
        <translation>%1=: wine, %2 — это %3</translation>
    </message>
    <message>
        <source>%1=%2: %3 is %4 on this system, which does not exist, so %5 cannot start: install the program there, or correct drives= or the command</source>
        <translation>%1=%2: %3 на этой системе — %4, а его нет, поэтому %5 не смогут запуститься: установите туда программу или исправьте drives= или команду</translation>
    </message>
    <message>
        <source>%1=: wine (no Windows path to check)</source>
        <translation>%1=: wine (пути Windows для проверки нет)</translation>
    </message>
    <message>
        <source>the X session &quot;Rulevion station&quot; is not installed (%1, %2): install the package rulevion-menu</source>
        <translation>X-сеанс «Станция „Рулевион“» не установлен (%1, %2): установите пакет rulevion-menu</translation>
    </message>
    <message>
        <source>X session &quot;Rulevion station&quot;</source>
        <translation>X-сеанс «Станция „Рулевион“»</translation>
    </message>
    <message>
        <source>window-manager= is empty: without a window manager the help and the boxes may not get the keyboard</source>
        <translation>window-manager= пуст: без оконного менеджера помощь и сообщения могут не получить клавиатуру</translation>
    </message>
    <message>
        <source>the window manager %1 is not installed, so the help and the boxes may not get the keyboard: apt install %1</source>
        <translation>оконный менеджер %1 не установлен, поэтому помощь и сообщения могут не получить клавиатуру: apt install %1</translation>
    </message>
    <message>
        <source>window manager %1</source>
        <translation>оконный менеджер %1</translation>
    </message>
    <message>
        <source>layouts= is empty: the session keeps the X server&apos;s keyboard, which may not type Cyrillic</source>
        <translation>layouts= пуст: сеанс оставляет клавиатуру X-сервера, на которой может не быть кириллицы</translation>
    </message>
    <message>
        <source>setxkbmap is missing, so the session cannot set the keyboard layouts: apt install x11-xkb-utils</source>
        <translation>setxkbmap нет, поэтому сеанс не может задать раскладки клавиатуры: apt install x11-xkb-utils</translation>
    </message>
    <message>
        <source>layouts=%1: no keyboard layout %2 (apt install xkb-data, or correct the name)</source>
        <translation>layouts=%1: нет раскладки клавиатуры %2 (apt install xkb-data или исправьте имя)</translation>
    </message>
    <message>
        <source>layout-switch=%1 is not a keyboard option of this system: see /usr/share/X11/xkb/rules/evdev.lst, e.g. grp:alt_shift_toggle</source>
        <translation>layout-switch=%1 — не параметр клавиатуры этой системы: см. /usr/share/X11/xkb/rules/evdev.lst, например grp:alt_shift_toggle</translation>
    </message>
    <message>
        <source>keyboard layouts %1, switched by %2</source>
        <translation>раскладки клавиатуры %1, переключение: %2</translation>
    </message>
    <message>
        <source>nothing</source>
        <translation>нет</translation>
    </message>
    <message>
        <source>no display manager (lightdm or nodm) is installed, so the machine does not boot into the menu: see the guide, &quot;Boot into the menu&quot;</source>
        <translation>менеджер входа (lightdm или nodm) не установлен, поэтому компьютер не загружается в меню: см. руководство, «Загрузка в меню»</translation>
    </message>
    <message>
        <source>lightdm starts the session for %1</source>
        <translation>lightdm запускает сеанс для %1</translation>
    </message>
    <message>
        <source>nodm starts the session for %1</source>
        <translation>nodm запускает сеанс для %1</translation>
    </message>
    <message>
        <source>lightdm does not start the session for %1 (autologin-user=%2, autologin-session=%3): write /etc/lightdm/lightdm.conf.d/50-rulevion-station.conf as the guide shows</source>
        <translation>lightdm не запускает сеанс для %1 (autologin-user=%2, autologin-session=%3): запишите /etc/lightdm/lightdm.conf.d/50-rulevion-station.conf, как показано в руководстве</translation>
    </message>
    <message>
        <source>nodm does not start the session for %1 (NODM_ENABLED=%2, NODM_USER=%3, NODM_XSESSION=%4): set them in /etc/default/nodm as the guide shows</source>
        <translation>nodm не запускает сеанс для %1 (NODM_ENABLED=%2, NODM_USER=%3, NODM_XSESSION=%4): задайте их в /etc/default/nodm, как показано в руководстве</translation>
    </message>
    <message>
        <source>help in the session: vdm03.pdf, shown by the menu itself</source>
        <translation>справка в сеансе: vdm03.pdf, ее показывает само меню</translation>
    </message>
    <message>
        <source>vdm03.pdf is not a PDF, so the help shows nothing: cp /usr/share/rulevion/vdm03.pdf into the station folder</source>
        <translation>vdm03.pdf — не PDF, справка ничего не покажет: скопируйте /usr/share/rulevion/vdm03.pdf в папку станции</translation>
    </message>
</context>
<context>
    <name>Shell</name>
    <message>
        <source>could not be started (%1)</source>
        <translation>не запускается (%1)</translation>
    </message>
    <message>
        <source>ended by signal %1 (%2)</source>
        <translation>прервано сигналом %1 (%2)</translation>
    </message>
    <message>
        <source>could not be started (command not found)</source>
        <translation>не запускается (команда не найдена)</translation>
    </message>
    <message>
        <source>could not be started (not executable)</source>
        <translation>не запускается (файл не исполняемый)</translation>
    </message>
    <message>
        <source>ended with status %1</source>
        <translation>завершено с кодом %1</translation>
    </message>
    <message>
        <source>the station folder %1 does not exist</source>
        <translation>папки станции %1 нет</translation>
    </message>
    <message>
        <source>the old decision %1 cannot be removed (%2); the menu&apos;s next decision cannot be told from it</source>
        <translation>старое решение %1 нельзя удалить (%2); следующее решение меню нельзя отличить от него</translation>
    </message>
    <message>
        <source>the menu %1; it is started again</source>
        <translation>меню: %1; оно запускается снова</translation>
    </message>
    <message>
        <source>the menu left no decision in %1; it is started again</source>
        <translation>меню не оставило решения в %1; оно запускается снова</translation>
    </message>
    <message>
        <source>the menu left an unknown decision &quot;%1&quot; in %2; it is started again</source>
        <translation>меню оставило неизвестное решение «%1» в %2; оно запускается снова</translation>
    </message>
    <message>
        <source>decision %1: no command is configured (%2=); the menu is started again</source>
        <translation>решение %1: команда не задана (%2=); меню запускается снова</translation>
    </message>
    <message>
        <source>decision %1: the command %2=%3 %4; the menu is started again</source>
        <translation>решение %1: команда %2=%3: %4; меню запускается снова</translation>
    </message>
    <message>
        <source>the menu failed or ended within %1 s of its start %2 times in a row; it is started again in %3 s</source>
        <translation>меню %2 раз подряд завершилось с ошибкой или в пределах %1 с после запуска; оно будет запущено снова через %3 с</translation>
    </message>
    <message>
        <source>the last lines it wrote to stderr:
%1</source>
        <translation>последние строки из потока ошибок:
%1</translation>
    </message>
    <message>
        <source>the menu failed and its crash guard ended it</source>
        <translation>в меню произошел сбой, и его защита от сбоев завершила его</translation>
    </message>
    <message>
        <source>the menu ended through its fatal exit, after its error box</source>
        <translation>меню завершилось через аварийный выход после своего сообщения об ошибке</translation>
    </message>
</context>
</TS>
