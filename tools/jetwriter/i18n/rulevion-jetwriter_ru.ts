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
        <translation type="unfinished"></translation>
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

The class list is a spreadsheet saved as CSV or as Unicode text. The encoding is found
from the bytes: UTF-8 with or without byte-order mark, UTF-16 with byte-order mark
(Unicode text), otherwise CP1251. The separator, comma, semicolon or tab, is found from
the first line.

The first line names the columns, in any order and any letter case (ё may be written
е; blanks and full stops do not count):
  StBook   record-book number, up to 50 characters; required. Also: %2
  StName   name, up to 255 characters; required. Also: %3
  StNum    number in the group, up to 50 characters. Also: %4
  GrNum    group, up to 100 characters. Also: %5
  StCount, GrCount  whole numbers (32-bit)
Other columns are passed over; a missing column other than StBook and StName is left
empty.

Every further line is one student. A text may be written in double quotes, with a quote
inside written twice (&quot;&quot;); a text that holds the separator needs them. An empty field
without quotes leaves the value empty (Null); &quot;&quot; is an empty text. Blanks around a
record-book number are removed; empty lines and lines of empty fields are passed over.
Record-book numbers that differ only in letter case are reported: only the first of
them can sign in.

Files are written completely or not at all: on any error nothing is written, a file
already there stays as it was, and the exit status is 1 (2 for wrong usage).
</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the password is empty; give the digits the instructor will type</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the password &quot;%1&quot; holds more than digits, and the password field takes digits only (no sign, no blanks); give digits only</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the password has more than %2 digits, more than the password field takes; give a shorter one</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the password &quot;%1&quot; is larger than 2147483647 and could never be typed to match; give a smaller number</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>line %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>line %1, column %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>line %1, column %2 (%3)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the closing double quote is missing; add it after the text</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the closing double quote seems to be missing: the quoted text runs on to line %1 and goes on after a quote there; add the quote where the text ends</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>text after the closing double quote (a quote inside quoted text is written twice: &quot;&quot;)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>a double quote in a field that does not start with one (put the whole field in double quotes and write the quote twice)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>a column without a title, passed over</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 is not a column of the class list, passed over</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>column %1 is %2 too; give only one column a title of %2 (%3)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>there is no column %1; the first line must name the columns, and one of them must have one of the titles %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>there is no column %1; it is left empty</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>not valid UTF-8 (byte %1 of the field), although the file starts as UTF-8 does; save the file as UTF-8 again</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the text is %1 characters long; at most %2 fit, shorten it</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the text holds a NUL character; a file saved as Unicode text needs its byte-order mark, save it again from the spreadsheet</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>text that starts with U+FEFF cannot also hold a character whose low byte is 0 (such as U+0100); remove the U+FEFF</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>not a whole number: %1; write digits only, or leave it empty</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the number %1 is outside the range -2147483648 to 2147483647</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the file is empty; its first line must name the columns, such as StBook,StName,StNum,GrNum,StCount,GrCount</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>only empty fields, passed over</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>missing: the line has %1 fields where the header has %2; check the separators on this line (a text that holds the separator must be in double quotes)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>too many fields: the line has %1 fields where the header has %2; give the extra column a title or check the separators on this line</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>blanks around the record-book number %1 removed (a typed number never has them)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>no record-book number; this student cannot sign in</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the record-book number %1 is on line %2 already (letter case aside); only the student on line %2 can sign in</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the Unicode text holds a broken character (a lone UTF-16 surrogate); save the file again from the spreadsheet</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the Unicode text ends in the middle of a character; the file is cut short, save it again from the spreadsheet</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the file is neither UTF-8 nor CP1251 (byte 0x98 is no character there); save it as &quot;CSV UTF-8&quot; or as Unicode text</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>UTF-8</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>UTF-8 with byte-order mark</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>UTF-16 LE (Unicode text)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>UTF-16 BE (Unicode text)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>CP1251 (Windows Cyrillic)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>More in: rulevion-jetwriter --help</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>; nothing written</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>cannot read &quot;%1&quot;: it is a folder</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>cannot open &quot;%1&quot;: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&quot;%1&quot; is larger than %2 MiB; that is no class list</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>cannot read &quot;%1&quot;: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the database would replace the class list &quot;%1&quot;; give another output file</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Wrote the trainer password file &quot;%1&quot;; the password to type is %2.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>what to write is missing</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>unknown option &quot;%1&quot;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>unknown command &quot;%1&quot;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 takes two arguments</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>unexpected failure: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>semicolon</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>tab</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>comma</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>... and %1 more lines like these</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Wrote %1 students to &quot;%2&quot; (table Students).</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Read the class list &quot;%1&quot;: encoding %2, separator %3.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Passed over: columns: %1, lines: %2.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>To check (these students are written all the same):</source>
        <translation type="unfinished"></translation>
    </message>
</context>
</TS>
