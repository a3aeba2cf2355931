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
        <source>%1 is missing or cannot be read: copy it from the station's set-up into the station folder</source>
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
        <source>drive %1 is the folder %2, which does not exist (%3): create it, or set drives= in the station's configuration</source>
        <translation>диск %1 — это папка %2, которой нет (%3): создайте ее или задайте drives= в настройках станции</translation>
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
        <source>the database %1 is not a file that can be read: replace it, or let the station's user read it</source>
        <translation>база данных %1 — не файл, который можно прочитать: замените ее или дайте пользователю станции право чтения</translation>
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
        <source>the database cannot be opened (%1): write it anew with rulevion-jetwriter students</source>
        <translation>базу данных нельзя открыть (%1): запишите ее заново командой rulevion-jetwriter students</translation>
    </message>
    <message>
        <source>the database has no table %1 (%2): write it anew with rulevion-jetwriter students</source>
        <translation>в базе данных нет таблицы %1 (%2): запишите ее заново командой rulevion-jetwriter students</translation>
    </message>
    <message>
        <source>table %1 cannot be read (%2): write the database anew</source>
        <translation>таблицу %1 нельзя прочитать (%2): запишите базу данных заново</translation>
    </message>
    <message>
        <source>table %1: column %2 is missing or not of the kind %3: write the database anew with rulevion-jetwriter students</source>
        <translation>таблица %1: столбца %2 нет или его тип не %3: запишите базу данных заново командой rulevion-jetwriter students</translation>
    </message>
    <message>
        <source>the students cannot be read (%1): write the database anew</source>
        <translation>список курсантов нельзя прочитать (%1): запишите базу данных заново</translation>
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
        <translation>номера зачетных книжек, которые встречаются больше одного раза (без учета регистра букв), войти может только первый из них: %1; исправьте список группы</translation>
    </message>
    <message>
        <source>record-book numbers with blanks at the start or end, which nobody types: %1; correct the class list</source>
        <translation>номера зачетных книжек с пробелами в начале или в конце, их никто не наберет: %1; исправьте список группы</translation>
    </message>
    <message numerus="yes">
        <source>%n student(s) without a record-book number, who cannot sign in: correct the class list</source>
        <translation>
            <numerusform>%n курсант без номера зачетной книжки не сможет войти: исправьте список группы</numerusform>
            <numerusform>%n курсанта без номера зачетной книжки не смогут войти: исправьте список группы</numerusform>
            <numerusform>%n курсантов без номера зачетной книжки не смогут войти: исправьте список группы</numerusform>
        </translation>
    </message>
    <message>
        <source>%1 is missing or cannot be read, so the trainer's button ends the program: write it with rulevion-jetwriter password</source>
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
        <source>run as root, the check cannot tell whether the station's user may write: run it as that user</source>
        <translation>при запуске от root проверка не может узнать, может ли писать пользователь станции: запустите ее от его имени</translation>
    </message>
    <message>
        <source>the station folder is not writable, so no decision and no sign-in can be written: let the station's user write in it</source>
        <translation>в папку станции нельзя писать, поэтому ни решение, ни запись о входе не будут записаны: дайте пользователю станции право записи</translation>
    </message>
    <message>
        <source>%1 cannot be written: remove it, or let the station's user write it</source>
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
</context>
<context>
    <name>Config</name>
    <message>
        <source>pause takes a number of seconds from 0 to 3600</source>
        <translation>pause — число секунд от 0 до 3600</translation>
    </message>
    <message>
        <source>unknown key "%1"</source>
        <translation>неизвестный ключ "%1"</translation>
    </message>
    <message>
        <source>not a KEY=VALUE line</source>
        <translation>строка не вида КЛЮЧ=ЗНАЧЕНИЕ</translation>
    </message>
    <message>
        <source>%1, line %2: %3, passed over</source>
        <translation>%1, строка %2: %3, пропущена</translation>
    </message>
</context>
<context>
    <name>Main</name>
    <message>
        <source>%1: %2
Try '%1 --help'.
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
        <source>say check or run</source>
        <translation>укажите check или run</translation>
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
        <source>A student can sign in at this station.
</source>
        <translation>На этой станции курсант может войти.
</translation>
    </message>
    <message>
        <source>No student can sign in at this station until the failures above are put right.
</source>
        <translation>На этой станции ни один курсант не сможет войти, пока не исправлены ошибки выше.
</translation>
    </message>
    <message>
        <source>Usage: %1 [--config FILE] check [FOLDER]
       %1 [--config FILE] run [FOLDER]
       %1 --help | --version

check  tests the station in FOLDER (default: the current folder) along the
       program's own road: monitor file, drive, database, table Students,
       password file, help document and its viewer, a writable folder. One
       line per check. Exit status 0 when a student can sign in, 1 otherwise.
       Nothing in the folder is changed.
run    the station's shell: starts the menu in FOLDER (default: folder= of the
       configuration), runs the command the configuration names for its
       decision and starts the menu again, until the menu decides to leave.
       Problems go to stderr and the system log.

--config FILE  read FILE instead of %2
               and ~/.config/rulevion/station.conf

Exit status 2: a usage error.
</source>
        <translation>Использование: %1 [--config ФАЙЛ] check [ПАПКА]
       %1 [--config ФАЙЛ] run [ПАПКА]
       %1 --help | --version

check  проверяет станцию в ПАПКЕ (по умолчанию текущей) по пути самой
       программы: файл монитора, диск, база данных, таблица Students, файл
       пароля, справка и программа ее просмотра, право записи в папку. По
       строке на проверку. Код выхода 0, если курсант может войти, иначе 1.
       В папке ничего не меняется.
run    оболочка станции: запускает меню в ПАПКЕ (по умолчанию folder= из
       настроек), выполняет команду, которую настройки называют для его
       решения, и снова запускает меню, пока в меню не выбран выход.
       Неполадки выводятся в stderr и в системный журнал.

--config ФАЙЛ  читать ФАЙЛ вместо %2
               и ~/.config/rulevion/station.conf

Код выхода 2: ошибка в командной строке.
</translation>
    </message>
    <message>
        <source>no station folder: name one, or set folder= in %1</source>
        <translation>нет папки станции: укажите ее или задайте folder= в %1</translation>
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
        <source>the old decision %1 cannot be removed (%2); the menu's next decision cannot be told from it</source>
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
        <source>the menu left an unknown decision "%1" in %2; it is started again</source>
        <translation>меню оставило неизвестное решение "%1" в %2; оно запускается снова</translation>
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
        <source>the menu failed %1 times in a row; it is started again in %2 s</source>
        <translation>меню не сработало %1 раз подряд; оно будет запущено снова через %2 с</translation>
    </message>
</context>
</TS>