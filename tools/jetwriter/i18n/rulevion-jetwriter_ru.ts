<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ru_RU">
<context>
    <name>jetwriter</name>
    <message>
        <source>Usage:
  rulevion-jetwriter students LIST OUT.mdb
  rulevion-jetwriter password N OUT.bin
  rulevion-jetwriter --help | --version
</source>
        <translation>Использование:
  rulevion-jetwriter students СПИСОК OUT.mdb
  rulevion-jetwriter password N OUT.bin
  rulevion-jetwriter --help | --version
</translation>
    </message>
    <message>
        <source>the password is empty; give the digits the instructor will type</source>
        <translation>пароль пуст; укажите цифры, которые будет набирать инструктор</translation>
    </message>
    <message>
        <source>the password &quot;%1&quot; holds more than digits, and the password field takes digits only (no sign, no blanks); give digits only</source>
        <translation>пароль «%1» содержит не только цифры, а поле пароля принимает только цифры (без знака и пробелов); укажите только цифры</translation>
    </message>
    <message>
        <source>the password has more than %2 digits, more than the password field takes; give a shorter one</source>
        <translation>в пароле больше %2 цифр — больше, чем принимает поле пароля; укажите пароль короче</translation>
    </message>
    <message>
        <source>the password &quot;%1&quot; is larger than 2147483647 and could never be typed to match; give a smaller number</source>
        <translation>пароль «%1» больше 2147483647, и набрать его так, чтобы он совпал, невозможно; укажите число меньше</translation>
    </message>
    <message>
        <source>line %1</source>
        <translation>строка %1</translation>
    </message>
    <message>
        <source>line %1, column %2</source>
        <translation>строка %1, столбец %2</translation>
    </message>
    <message>
        <source>line %1, column %2 (%3)</source>
        <translation>строка %1, столбец %2 (%3)</translation>
    </message>
    <message>
        <source>the closing double quote is missing; add it after the text</source>
        <translation>нет закрывающей двойной кавычки; добавьте её после текста</translation>
    </message>
    <message>
        <source>the closing double quote seems to be missing: the quoted text runs on to line %1 and goes on after a quote there; add the quote where the text ends</source>
        <translation>похоже, нет закрывающей двойной кавычки: текст в кавычках продолжается до строки %1 и идёт дальше после кавычки там; поставьте кавычку там, где текст кончается</translation>
    </message>
    <message>
        <source>text after the closing double quote (a quote inside quoted text is written twice: &quot;&quot;)</source>
        <translation>текст после закрывающей двойной кавычки (кавычка внутри текста в кавычках пишется дважды: &quot;&quot;)</translation>
    </message>
    <message>
        <source>a double quote in a field that does not start with one (put the whole field in double quotes and write the quote twice)</source>
        <translation>двойная кавычка в поле, которое не начинается с кавычки (заключите всё поле в двойные кавычки, а кавычку напишите дважды)</translation>
    </message>
    <message>
        <source>a column without a title, passed over</source>
        <translation>столбец без заголовка пропущен</translation>
    </message>
    <message>
        <source>column %1 is %2 too; give only one column a title of %2 (%3)</source>
        <translation>столбец %1 — тоже %2; дайте заголовок %2 (%3) только одному столбцу</translation>
    </message>
    <message>
        <source>there is no column %1; the first line must name the columns, and one of them must have one of the titles %2</source>
        <translation>нет столбца %1; первая строка должна называть столбцы, и один из них должен иметь один из заголовков %2</translation>
    </message>
    <message>
        <source>there is no column %1; it is left empty</source>
        <translation>нет столбца %1; он остаётся пустым</translation>
    </message>
    <message>
        <source>not valid UTF-8 (byte %1 of the field), although the file starts as UTF-8 does; save the file as UTF-8 again</source>
        <translation>неверная последовательность UTF-8 (байт %1 поля), хотя файл начинается как UTF-8; сохраните файл в UTF-8 заново</translation>
    </message>
    <message>
        <source>the text is %1 characters long; at most %2 fit, shorten it</source>
        <translation>текст длиной %1 символов, а помещается не больше %2; сократите его</translation>
    </message>
    <message>
        <source>the text holds a NUL character; a file saved as Unicode text needs its byte-order mark, save it again from the spreadsheet</source>
        <translation>текст содержит символ NUL; файлу в виде «Текст в Юникоде» нужна метка порядка байтов, сохраните его из таблицы заново</translation>
    </message>
    <message>
        <source>text that starts with U+FEFF cannot also hold a character whose low byte is 0 (such as U+0100); remove the U+FEFF</source>
        <translation>текст, начинающийся с U+FEFF, не может содержать символ с младшим байтом 0 (например, U+0100); удалите U+FEFF</translation>
    </message>
    <message>
        <source>the file is empty; its first line must name the columns, such as StBook,StName,StNum,GrNum,StCount,GrCount</source>
        <translation>файл пуст; его первая строка должна называть столбцы, например StBook,StName,StNum,GrNum,StCount,GrCount</translation>
    </message>
    <message>
        <source>only empty fields, passed over</source>
        <translation>только пустые поля; строка пропущена</translation>
    </message>
    <message>
        <source>missing: the line has %1 fields where the header has %2; check the separators on this line (a text that holds the separator must be in double quotes)</source>
        <translation>не хватает полей: в строке %1 полей, а в заголовке %2; проверьте разделители в этой строке (текст, содержащий разделитель, должен быть в двойных кавычках)</translation>
    </message>
    <message>
        <source>too many fields: the line has %1 fields where the header has %2; give the extra column a title or check the separators on this line</source>
        <translation>лишние поля: в строке %1 полей, а в заголовке %2; дайте лишнему столбцу заголовок или проверьте разделители в этой строке</translation>
    </message>
    <message>
        <source>no record-book number; this student cannot sign in</source>
        <translation>нет номера зачетки; этот курсант не сможет войти</translation>
    </message>
    <message>
        <source>the Unicode text holds a broken character (a lone UTF-16 surrogate); save the file again from the spreadsheet</source>
        <translation>в тексте в Юникоде испорченный символ (одиночный суррогат UTF-16); сохраните файл из таблицы заново</translation>
    </message>
    <message>
        <source>the Unicode text ends in the middle of a character; the file is cut short, save it again from the spreadsheet</source>
        <translation>текст в Юникоде обрывается посреди символа; файл обрезан, сохраните его из таблицы заново</translation>
    </message>
    <message>
        <source>the file is neither UTF-8 nor CP1251 (byte 0x98 is no character there); save it as &quot;CSV UTF-8&quot; or as Unicode text</source>
        <translation>файл ни в UTF-8, ни в CP1251 (байт 0x98 там не символ); сохраните его как «CSV UTF-8» или как «Текст в Юникоде»</translation>
    </message>
    <message>
        <source>UTF-8</source>
        <translation>UTF-8</translation>
    </message>
    <message>
        <source>UTF-8 with byte-order mark</source>
        <translation>UTF-8 с меткой порядка байтов</translation>
    </message>
    <message>
        <source>UTF-16 LE (Unicode text)</source>
        <translation>UTF-16 LE («Текст в Юникоде»)</translation>
    </message>
    <message>
        <source>UTF-16 BE (Unicode text)</source>
        <translation>UTF-16 BE («Текст в Юникоде»)</translation>
    </message>
    <message>
        <source>CP1251 (Windows Cyrillic)</source>
        <translation>CP1251 (кириллица Windows)</translation>
    </message>
    <message>
        <source>More in: rulevion-jetwriter --help</source>
        <translation>Подробнее: rulevion-jetwriter --help</translation>
    </message>
    <message>
        <source>; nothing written</source>
        <translation>; ничего не записано</translation>
    </message>
    <message>
        <source>cannot read &quot;%1&quot;: it is a folder</source>
        <translation>не удаётся прочитать «%1»: это папка</translation>
    </message>
    <message>
        <source>cannot open &quot;%1&quot;: %2</source>
        <translation>не удаётся открыть «%1»: %2</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is larger than %2 MiB; that is no class list</source>
        <translation>«%1» больше %2 МиБ; это не список группы</translation>
    </message>
    <message>
        <source>cannot read &quot;%1&quot;: %2</source>
        <translation>не удаётся прочитать «%1»: %2</translation>
    </message>
    <message>
        <source>the database would replace the class list &quot;%1&quot;; give another output file</source>
        <translation>база данных заменила бы список группы «%1»; укажите другой выходной файл</translation>
    </message>
    <message>
        <source>Wrote the trainer password file &quot;%1&quot;; the password to type is %2.</source>
        <translation>Записан файл пароля тренера «%1»; набирать пароль %2.</translation>
    </message>
    <message>
        <source>what to write is missing</source>
        <translation>не указано, что записать</translation>
    </message>
    <message>
        <source>unknown option &quot;%1&quot;</source>
        <translation>неизвестный параметр «%1»</translation>
    </message>
    <message>
        <source>unknown command &quot;%1&quot;</source>
        <translation>неизвестная команда «%1»</translation>
    </message>
    <message>
        <source>%1 takes two arguments</source>
        <translation>команде %1 нужны два аргумента</translation>
    </message>
    <message>
        <source>unexpected failure: %1</source>
        <translation>непредвиденный сбой: %1</translation>
    </message>
    <message>
        <source>semicolon</source>
        <translation>точка с запятой</translation>
    </message>
    <message>
        <source>tab</source>
        <translation>табуляция</translation>
    </message>
    <message>
        <source>comma</source>
        <translation>запятая</translation>
    </message>
    <message>
        <source>Read the class list &quot;%1&quot;: encoding %2, separator %3.</source>
        <translation>Прочитан список группы «%1»: кодировка %2, разделитель — %3.</translation>
    </message>
    <message>
        <source>Passed over: columns: %1, lines: %2.</source>
        <translation>Пропущено: столбцов — %1, строк — %2.</translation>
    </message>
    <message>
        <source>To check (these students are written all the same):</source>
        <translation>Проверьте (эти курсанты всё же записаны):</translation>
    </message>
    <message>
        <source>only columns that are passed over are filled, passed over</source>
        <translation>заполнены только пропускаемые столбцы; строка пропущена</translation>
    </message>
    <message numerus="yes">
        <source>... and %n more line(s) like these</source>
        <translation>
            <numerusform>... и ещё %n строка такого рода</numerusform>
            <numerusform>... и ещё %n строки такого рода</numerusform>
            <numerusform>... и ещё %n строк такого рода</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Wrote %n student(s) to &quot;%1&quot; (table Students).</source>
        <translation>
            <numerusform>В «%1» (таблица Students) записан %n курсант.</numerusform>
            <numerusform>В «%1» (таблица Students) записано %n курсанта.</numerusform>
            <numerusform>В «%1» (таблица Students) записано %n курсантов.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n student(s) may not be able to sign in with the number on their card.</source>
        <translation>
            <numerusform>%n курсант, возможно, не сможет войти по номеру своей зачетки.</numerusform>
            <numerusform>%n курсанта, возможно, не смогут войти по номерам своих зачеток.</numerusform>
            <numerusform>%n курсантов, возможно, не смогут войти по номерам своих зачеток.</numerusform>
        </translation>
    </message>
    <message>
        <source>there is no such file or folder</source>
        <translation>нет такого файла или папки</translation>
    </message>
    <message>
        <source>permission denied</source>
        <translation>доступ запрещён</translation>
    </message>
    <message>
        <source>no space left on the device</source>
        <translation>на устройстве не осталось места</translation>
    </message>
    <message>
        <source>the disk quota is used up</source>
        <translation>дисковая квота исчерпана</translation>
    </message>
    <message>
        <source>the file system is read-only</source>
        <translation>файловая система только для чтения</translation>
    </message>
    <message>
        <source>it is a folder</source>
        <translation>это папка</translation>
    </message>
    <message>
        <source>a part of the path is not a folder</source>
        <translation>часть пути — не папка</translation>
    </message>
    <message>
        <source>the name is too long</source>
        <translation>имя слишком длинное</translation>
    </message>
    <message>
        <source>input/output error</source>
        <translation>ошибка ввода-вывода</translation>
    </message>
    <message>
        <source>system error %1 (%2)</source>
        <translation>системная ошибка %1 (%2)</translation>
    </message>
    <message>
        <source>an empty line above the header, passed over</source>
        <translation>пустая строка над заголовком, пропущена</translation>
    </message>
    <message>
        <source>no %1 in the list; left empty</source>
        <translation>в списке нет %1; значения оставлены пустыми</translation>
    </message>
    <message>
        <source>cannot write &quot;%1&quot;: the name ends in a slash and names a folder, not a file</source>
        <translation>не удаётся записать «%1»: имя оканчивается косой чертой и называет папку, а не файл</translation>
    </message>
    <message>
        <source>cannot create a file beside &quot;%1&quot;</source>
        <translation>не удалось создать файл рядом с «%1»</translation>
    </message>
    <message>
        <source>cannot write &quot;%1&quot;</source>
        <translation>не удаётся записать «%1»</translation>
    </message>
    <message>
        <source>cannot put the new file in place at &quot;%1&quot;</source>
        <translation>не удалось поставить новый файл на место «%1»</translation>
    </message>
    <message>
        <source>the database would take %1 MiB; a file of this format holds at most %2 MiB</source>
        <translation>база данных заняла бы %1 МиБ; файл этого формата вмещает не больше %2 МиБ</translation>
    </message>
    <message>
        <source>Read the workbook &quot;%1&quot;: sheet &quot;%2&quot;.</source>
        <translation>Прочитана книга «%1»: лист «%2».</translation>
    </message>
    <message>
        <source></source>
        <translation>Прочитана книга «%1»: лист «%2».</translation>
    </message>
    <message>
        <source>the workbook has more than %1 cells; that is no class list. Copy the list to a new workbook and give that</source>
        <translation>в книге больше %1 ячеек; это не список группы. Скопируйте список в новую книгу и укажите её</translation>
    </message>
    <message>
        <source>sheet &quot;%1&quot; has a cell past row %2 or column %3, more than the spreadsheets allow; the workbook is damaged</source>
        <translation>на листе «%1» есть ячейка дальше строки %2 или столбца %3, чего электронные таблицы не допускают; книга повреждена</translation>
    </message>
    <message>
        <source>the workbook&apos;s cells hold more than %1 MiB of text; that is no class list</source>
        <translation>в ячейках книги больше %1 МиБ текста; это не список группы</translation>
    </message>
    <message>
        <source>the workbook&apos;s part &quot;%1&quot; nests elements more than %2 deep; that is no class list</source>
        <translation>в части «%1» книги элементы вложены глубже %2 уровней; это не список группы</translation>
    </message>
    <message>
        <source>the workbook&apos;s part &quot;%1&quot; declares entities (line %2), which no workbook does; the file is damaged or made to harm</source>
        <translation>в части «%1» книги объявлены сущности (строка %2), чего ни одна книга не делает; файл повреждён или составлен во вред</translation>
    </message>
    <message>
        <source>the workbook is damaged: its part &quot;%1&quot; is no valid XML (line %2: %3); open it in the spreadsheet and save it again</source>
        <translation>книга повреждена: ее часть «%1» — не правильный XML (строка %2: %3); откройте книгу в электронной таблице и сохраните заново</translation>
    </message>
    <message>
        <source>this is an Excel binary workbook (.xlsb), which cannot be read; open it in Excel and save it as an Excel workbook (.xlsx) or as CSV</source>
        <translation>это двоичная книга Excel (.xlsb); такую прочитать нельзя. Откройте её в Excel и сохраните как книгу Excel (.xlsx) или как CSV</translation>
    </message>
    <message>
        <source>this is an office document but no spreadsheet (a text or a presentation); copy the list into a spreadsheet and save it as .xlsx, .ods or CSV</source>
        <translation>это офисный документ, но не электронная таблица (текст или презентация); скопируйте список в электронную таблицу и сохраните как .xlsx, .ods или CSV</translation>
    </message>
    <message>
        <source>this is a zip archive but neither an Excel workbook (.xlsx) nor an OpenDocument spreadsheet (.ods); unpack it and give the class list inside, or save the list from the spreadsheet again</source>
        <translation>это zip-архив, но не книга Excel (.xlsx) и не таблица OpenDocument (.ods); распакуйте его и укажите список группы из него или сохраните список из электронной таблицы заново</translation>
    </message>
    <message>
        <source>this is a zip archive, as .xlsx and .ods workbooks are, but it is damaged or cut short; save the workbook again from the spreadsheet</source>
        <translation>это zip-архив, как книги .xlsx и .ods, но он повреждён или обрезан; сохраните книгу из электронной таблицы заново</translation>
    </message>
    <message>
        <source>this is a PDF document, which keeps no table to read; give the workbook the list was printed from, or save it as CSV</source>
        <translation>это документ PDF, в нём нет таблицы, которую можно прочитать; укажите книгу, из которой список был напечатан, или сохраните его как CSV</translation>
    </message>
    <message>
        <source>this is a Rich Text document (.rtf); copy the list into a spreadsheet and save it as .xlsx, .ods or CSV</source>
        <translation>это документ RTF; скопируйте список в электронную таблицу и сохраните как .xlsx, .ods или CSV</translation>
    </message>
    <message>
        <source>this is a web page or an XML file (it starts with &quot;&lt;&quot;), not a CSV; open it in the spreadsheet and save it as an Excel workbook (.xlsx) or as CSV</source>
        <translation>это веб-страница или файл XML (он начинается с «&lt;»), а не CSV; откройте его в электронной таблице и сохраните как книгу Excel (.xlsx) или как CSV</translation>
    </message>
    <message>
        <source>this is a picture, not a class list; give the workbook the list is kept in, or save it as CSV</source>
        <translation>это изображение, а не список группы; укажите книгу, в которой ведётся список, или сохраните его как CSV</translation>
    </message>
    <message>
        <source>this is a compressed archive (gzip, 7-Zip or RAR); unpack it and give the class list inside</source>
        <translation>это сжатый архив (gzip, 7-Zip или RAR); распакуйте его и укажите список группы из него</translation>
    </message>
    <message>
        <source>sheet &quot;%1&quot;, cell %2</source>
        <translation>лист «%1», ячейка %2</translation>
    </message>
    <message>
        <source>the workbook has no sheet that is shown</source>
        <translation>в книге нет ни одного видимого листа</translation>
    </message>
    <message>
        <source>no sheet of the workbook has a record-book column: the class list&apos;s header row must give one column one of the titles %1 (sheets read: %2)</source>
        <translation>ни на одном листе книги нет столбца номеров зачеток: в строке заголовков списка один из столбцов должен называться одним из %1 (прочитаны листы: %2)</translation>
    </message>
    <message>
        <source>a date (%1) where a record-book number belongs: the spreadsheet took the number for a date and keeps no digits of it. Format the column as text and type the number again</source>
        <translation>дата (%1) вместо номера зачетки: электронная таблица приняла номер за дату и не хранит его цифр. Задайте столбцу текстовый формат и введите номер заново</translation>
    </message>
    <message>
        <source>the formula&apos;s result is the error %1; correct the formula or type the value</source>
        <translation>результат формулы — ошибка %1; исправьте формулу или введите значение</translation>
    </message>
    <message>
        <source>a formula whose result the workbook does not keep; open the workbook in the spreadsheet and save it again</source>
        <translation>формула, результат которой в книге не сохранён; откройте книгу в электронной таблице и сохраните заново</translation>
    </message>
    <message>
        <source>sheet &quot;%1&quot;, row %2</source>
        <translation>лист «%1», строка %2</translation>
    </message>
    <message>
        <source>the workbook has more than %1 different texts; that is no class list</source>
        <translation>в книге больше %1 разных текстов; это не список группы</translation>
    </message>
    <message>
        <source>the workbook is damaged: its part &quot;%1&quot; names a text it does not hold (line %2); open it in the spreadsheet and save it again</source>
        <translation>книга повреждена: ее часть «%1» ссылается на текст, которого в книге нет (строка %2); откройте книгу в электронной таблице и сохраните заново</translation>
    </message>
    <message>
        <source>the workbook is damaged: its part &quot;%1&quot; holds a number that is none (line %2); open it in the spreadsheet and save it again</source>
        <translation>книга повреждена: в ее части «%1» число записано неправильно (строка %2); откройте книгу в электронной таблице и сохраните заново</translation>
    </message>
    <message>
        <source>the workbook is damaged: its part &quot;%1&quot; holds a cell name that is none (line %2); open it in the spreadsheet and save it again</source>
        <translation>книга повреждена: в ее части «%1» неправильное имя ячейки (строка %2); откройте книгу в электронной таблице и сохраните заново</translation>
    </message>
    <message>
        <source>the workbook is damaged: its part &quot;%1&quot; cannot be read (%2); open it in the spreadsheet and save it again</source>
        <translation>книга повреждена: ее часть «%1» не читается (%2); откройте книгу в электронной таблице и сохраните заново</translation>
    </message>
    <message>
        <source>the workbook is damaged: its part &quot;%1&quot; is missing; open it in the spreadsheet and save it again</source>
        <translation>книга повреждена: в ней нет части «%1»; откройте книгу в электронной таблице и сохраните заново</translation>
    </message>
    <message>
        <source>the workbook is protected by a password; save it again without one</source>
        <translation>книга защищена паролем; сохраните её заново без пароля</translation>
    </message>
    <message>
        <source>the workbook&apos;s parts inflate to more than %1 MiB in all; that is no class list (a class list of ten thousand students is a few MiB)</source>
        <translation>части книги распаковываются в сумме больше чем в %1 МиБ; это не список группы (список из десяти тысяч курсантов занимает несколько МиБ)</translation>
    </message>
    <message>
        <source>the workbook&apos;s part &quot;%1&quot; inflates to more than %2 MiB; that is no class list (a class list of ten thousand students is a few MiB)</source>
        <translation>часть «%1» книги распаковывается больше чем в %2 МиБ; это не список группы (список из десяти тысяч курсантов занимает несколько МиБ)</translation>
    </message>
    <message>
        <source>the file is a zip archive of more than %1 parts; a workbook has a few dozen, so this is no class list</source>
        <translation>файл — zip-архив из более чем %1 частей; в книге их несколько десятков, так что это не список группы</translation>
    </message>
    <message>
        <source>the workbook has more than %1 sheets; that is no class list. Copy the list to a new workbook and give that</source>
        <translation>в книге больше %1 листов; это не список группы. Скопируйте список в новую книгу и укажите её</translation>
    </message>
    <message>
        <source>the workbook names more than %1 parts; a workbook has a few dozen, so the file is damaged or made to harm</source>
        <translation>книга называет больше %1 частей; в книге их несколько десятков, так что файл повреждён или сделан во вред</translation>
    </message>
    <message>
        <source>the workbook has more than %1 cell styles, more than the spreadsheets make; the file is damaged or made to harm</source>
        <translation>в книге больше %1 стилей ячеек, больше, чем создают табличные редакторы; файл повреждён или сделан во вред</translation>
    </message>
    <message>
        <source>the workbook&apos;s sheets have more than %1 rows in all; that is no class list. Copy the list to a new workbook and give that</source>
        <translation>на листах книги всего больше %1 строк; это не список группы. Скопируйте список в новую книгу и укажите её</translation>
    </message>
    <message>
        <source>a cell of the workbook holds more than %1 characters, where a class list&apos;s longest value is a few hundred; the file is damaged or made to harm</source>
        <translation>ячейка книги содержит больше %1 знаков, а самое длинное значение списка группы — несколько сотен; файл повреждён или сделан во вред</translation>
    </message>
    <message>
        <source>the workbook&apos;s part &quot;%1&quot; is larger than it can be; the file is damaged</source>
        <translation>часть книги «%1» больше, чем может быть; файл повреждён</translation>
    </message>
    <message>
        <source>a number of %1 digits where a record-book number belongs: a spreadsheet keeps no more than 15 digits of a number, so this is no number a record card holds. Format the column as text and type the number again</source>
        <translation>число из %1 цифр вместо номера зачетки: электронная таблица хранит не больше 15 цифр числа, так что такого номера не бывает на карточке. Задайте столбцу текстовый формат и введите номер заново</translation>
    </message>
    <message>
        <source>the record-book number %1 is text that shows an exponent, as a spreadsheet shows a long number: its digits were lost before it was typed or pasted in. Format the column as text and type the number again</source>
        <translation>номер зачетки %1 — текст с порядком, как электронная таблица показывает длинное число: его цифры потеряны ещё до того, как его ввели или вставили. Задайте столбцу текстовый формат и введите номер заново</translation>
    </message>
    <message>
        <source>this is neither an Excel workbook (.xlsx, .xls) nor an OpenDocument spreadsheet (.ods)</source>
        <translation>это не книга Excel (.xlsx, .xls) и не таблица OpenDocument (.ods)</translation>
    </message>
    <message>
        <source>the Excel 97-2003 workbook (.xls) is damaged and cannot be read (%1); open it in the spreadsheet and save it again</source>
        <translation>книга Excel 97-2003 (.xls) повреждена, и её нельзя прочитать (%1); откройте её в электронной таблице и сохраните заново</translation>
    </message>
    <message>
        <source>the Excel 97-2003 workbook (.xls) could not be read within %1 MiB and %2 seconds: it is damaged or made to harm; open it in the spreadsheet and save it again</source>
        <translation>книгу Excel 97-2003 (.xls) не удалось прочитать в пределах %1 МиБ и %2 секунд: она повреждена или сделана во вред; откройте её в электронной таблице и сохраните заново</translation>
    </message>
    <message>
        <source>&quot;%1&quot;</source>
        <translation>«%1»</translation>
    </message>
    <message>
        <source>row %1</source>
        <translation>строка %1</translation>
    </message>
    <message>
        <source>%1 (%2)</source>
        <translation>%1 (%2)</translation>
    </message>
    <message numerus="yes">
        <source> and %n more</source>
        <translation>
            <numerusform> и еще %n</numerusform>
            <numerusform> и еще %n</numerusform>
            <numerusform> и еще %n</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n student(s) cannot sign in: %1.</source>
        <translation>
            <numerusform>%n курсант не сможет войти: %1.</numerusform>
            <numerusform>%n курсанта не смогут войти: %1.</numerusform>
            <numerusform>%n курсантов не смогут войти: %1.</numerusform>
        </translation>
    </message>
    <message>
        <source>Not written (their record-book numbers have lost their digits):</source>
        <translation>Не записаны (номера их зачеток потеряли цифры):</translation>
    </message>
    <message>
        <source>Give the workbook (.xlsx, .ods, .xls) itself, or format the column as text in the spreadsheet, type these numbers again and save the list anew.</source>
        <translation>Укажите саму книгу (.xlsx, .ods, .xls) или задайте столбцу в электронной таблице текстовый формат, введите эти номера заново и сохраните список снова.</translation>
    </message>
    <message>
        <source>These cells hold text that shows an exponent: type the numbers again into cells formatted as text.</source>
        <translation>В этих ячейках текст с экспонентой: введите номера заново в ячейки с текстовым форматом.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is not a column of the class list, passed over</source>
        <translation>«%1» — не столбец списка группы; пропущен</translation>
    </message>
    <message>
        <source>not a whole number: &quot;%1&quot;; write digits only, or leave it empty</source>
        <translation>не целое число: «%1»; пишите только цифры или оставьте поле пустым</translation>
    </message>
    <message>
        <source>the number &quot;%1&quot; is outside the range -2147483648 to 2147483647</source>
        <translation>число «%1» вне диапазона от -2147483648 до 2147483647</translation>
    </message>
    <message>
        <source>blanks around the record-book number &quot;%1&quot; removed (a typed number never has them)</source>
        <translation>пробелы по краям номера зачетки «%1» удалены (в набранном номере их не бывает)</translation>
    </message>
    <message>
        <source>blanks around the name &quot;%1&quot; removed</source>
        <translation>пробелы вокруг имени «%1» удалены</translation>
    </message>
    <message>
        <source>blanks around the group &quot;%1&quot; removed</source>
        <translation>пробелы вокруг группы «%1» удалены</translation>
    </message>
    <message>
        <source>blanks around &quot;%1&quot; removed</source>
        <translation>пробелы вокруг «%1» удалены</translation>
    </message>
    <message>
        <source>the record-book number &quot;%1&quot; ends in a decimal zero, as a spreadsheet writes a number it holds as a number; the card most likely reads it without; format the column as text, or give the workbook itself</source>
        <translation>номер зачетки «%1» оканчивается десятичным нулём, как электронная таблица пишет число, которое хранит как число; в зачетке он, скорее всего, без него; задайте столбцу текстовый формат или укажите саму книгу</translation>
    </message>
    <message>
        <source>the record-book number &quot;%1&quot; is shorter than most (%2 digits): a spreadsheet that holds numbers drops their leading zeros; if the card reads more digits, format the column as text, or give the workbook itself</source>
        <translation>номер зачетки «%1» короче большинства (у большинства цифр: %2): электронная таблица, хранящая номера как числа, отбрасывает ведущие нули; если в зачетке цифр больше, задайте столбцу текстовый формат или укажите саму книгу</translation>
    </message>
    <message>
        <source>the record-book number &quot;%1&quot; looks changed by a spreadsheet</source>
        <translation>номер зачетки «%1», похоже, изменён электронной таблицей</translation>
    </message>
    <message>
        <source>the record-book number &quot;%1&quot; is in exponent form, as a spreadsheet shows a long number it holds as a number, and so is every other: their digits are lost, no student is left to write. Format the column as text in the spreadsheet and type the numbers again, or give the workbook (.xlsx, .ods, .xls) itself</source>
        <translation>номер зачетки «%1» записан в экспоненциальной форме, как электронная таблица показывает длинное число, которое хранит как число, и так же все остальные: их цифры потеряны, записать некого. Задайте столбцу текстовый формат и введите номера заново или укажите саму книгу (.xlsx, .ods, .xls)</translation>
    </message>
    <message>
        <source>&quot;%1&quot; above the header, passed over</source>
        <translation>«%1» над заголовком, пропущена</translation>
    </message>
    <message>
        <source>the record-book number &quot;%1&quot; is in exponent form, as a spreadsheet shows a long number it holds as a number: its digits are lost, this student is not written</source>
        <translation>номер зачетки «%1» записан в экспоненциальной форме, как электронная таблица показывает длинное число, которое хранит как число: его цифры потеряны, этот курсант не записан</translation>
    </message>
    <message>
        <source>the record-book number &quot;%1&quot; is on line %2 already (letter case aside); only the student on line %2 can sign in</source>
        <translation>номер зачетки «%1» уже есть в строке %2 (без учёта регистра букв); войти сможет только курсант из строки %2</translation>
    </message>
    <message>
        <source>
students LIST OUT.mdb
    Makes the Access 2000 database OUT.mdb, with the one table Students, from the class
    list LIST, and says what it wrote and what it passed over.
password N OUT.bin
    Writes the trainer password file (vdmdat01.bin) holding the password N: digits only,
    as the instructor types them into the password field, at most %1 of them, the number
    at most 2147483647.

The class list is an Excel workbook (.xlsx, or .xls of Excel 97-2003), an OpenDocument
spreadsheet (.ods), or a spreadsheet saved as CSV or as Unicode text. A workbook is read
from the first sheet shown that has a row naming a record-book column, every cell as the
spreadsheet shows it (a number through its format: 00123 stays 00123), but a number
shown with an exponent keeps all its digits; a date, a number of more than 15 digits or
a formula&apos;s error there is refused with the sheet and cell named. An .xls is read without
its number formats (00123 is read as 123) and with its hidden sheets. PDF documents and
other files that are no class list are recognised and refused with how to save the list.

In a CSV the encoding is found from the bytes: UTF-8 with or without byte-order mark,
UTF-16 with byte-order mark (Unicode text), otherwise CP1251. The separator, comma,
semicolon or tab, is found from the first line.

The header, the first line that names a record-book column (title lines above it are
passed over), names the columns in any order and any letter case (ё may be written е;
blanks and full stops do not count):
  StBook   record-book number, up to 50 characters; required.
           Also: %2
  StName   name, up to 255 characters; required.
           Also: %3
  StNum    number in the group, up to 50 characters.
           Also: %4
  GrNum    group, up to 100 characters.
           Also: %5
  StCount, GrCount  whole numbers (32-bit)
Other columns are passed over; a missing column other than StBook and StName is left
empty.

Every further line is one student. A text may be written in double quotes, with a quote
inside written twice (&quot;&quot;); a text that holds the separator needs them. An empty field
without quotes leaves the value empty (Null); &quot;&quot; is an empty text. Blanks around a
text are removed; empty lines and lines of empty fields are passed over. Record-book
numbers that differ only in letter case are reported: only the first of them can sign
in. So are numbers as a spreadsheet saves what it holds as numbers (2024.0, leading
zeros lost). A number in exponent form (1,2E+11) has lost its digits: that student is
not written, the rest of the class is, and the report ends with who cannot sign in.

Files are written completely or not at all: on any error nothing is written, a file
already there stays as it was, and the exit status is 1 (2 for wrong usage).
</source>
        <translation>
students СПИСОК OUT.mdb
    Создаёт базу данных Access 2000 OUT.mdb с единственной таблицей Students из списка
    группы СПИСОК и сообщает, что записано и что пропущено.
password N OUT.bin
    Записывает файл пароля тренера (vdmdat01.bin) с паролем N: только цифры, как
    инструктор набирает их в поле пароля, не больше %1 цифр, число не больше 2147483647.

Список группы — это книга Excel (.xlsx или .xls из Excel 97-2003), таблица OpenDocument
(.ods) или таблица, сохранённая как CSV или как «Текст в Юникоде». Книга читается с
первого видимого листа, на котором есть строка со столбцом номеров зачеток, каждая
ячейка — такой, какой её показывает электронная таблица (число — в своём формате: 00123
остаётся 00123), но число, показанное с порядком, сохраняет все свои цифры; дата, число
больше чем из 15 цифр или ошибка формулы там отвергаются с указанием листа и ячейки. Книга
.xls читается без форматов чисел (00123 читается как 123) и вместе со скрытыми листами.
Документы PDF и другие файлы, не являющиеся списком группы, распознаются и отвергаются с
объяснением, как сохранить список.

В CSV кодировка определяется по байтам: UTF-8 с меткой порядка байтов или без неё, UTF-16
с меткой порядка байтов («Текст в Юникоде»), иначе CP1251. Разделитель — запятая, точка
с запятой или табуляция — определяется по первой строке.

Заголовок — первая строка, где назван столбец номера зачетки (строки названия над ним
пропускаются), — называет столбцы в любом порядке и любом регистре букв (ё можно писать
как е; пробелы и точки не учитываются):
  StBook   номер зачетки, до 50 символов; обязателен.
           Также: %2
  StName   фамилия, имя, отчество, до 255 символов; обязателен.
           Также: %3
  StNum    номер в группе, до 50 символов.
           Также: %4
  GrNum    группа, до 100 символов.
           Также: %5
  StCount, GrCount  целые числа (32 бита)
Прочие столбцы пропускаются; недостающий столбец, кроме StBook и StName, остаётся
пустым.

Каждая следующая строка — один курсант. Текст можно заключить в двойные кавычки, а
кавычку внутри него писать дважды (&quot;&quot;); текст, содержащий разделитель, должен быть в
кавычках. Пустое поле без кавычек оставляет значение пустым (Null); &quot;&quot; — пустой текст.
Пробелы по краям текста удаляются; пустые строки и строки из пустых полей пропускаются.
О номерах зачеток, отличающихся только регистром букв, сообщается: войти сможет
только первый из этих курсантов. Сообщается и о номерах в том виде, в каком электронная
таблица сохраняет хранимое как число (2024.0, потерянные ведущие нули). Номер в
экспоненциальной форме (1,2E+11) потерял цифры: этот курсант не записывается,
остальные записываются, а в конце отчета сказано, кто не сможет войти.

Файлы записываются целиком или не записываются вовсе: при любой ошибке ничего не
записывается, уже существующий файл остаётся прежним, а код завершения равен 1 (2 при
неверном вызове).
</translation>
    </message>
</context>
</TS>
