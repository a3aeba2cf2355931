# Makes the workbooks of this folder with LibreOffice Calc through its Python bridge:
#   /usr/bin/python3 make.py <folder>   (needs libreoffice-calc-nogui and python3-uno)
# The same sheets saved as .xls, .xlsx and .ods, and the .xls again with a password.
import subprocess, time, uno, os, sys
from com.sun.star.beans import PropertyValue
def pv(n, v):
    p = PropertyValue(); p.Name = n; p.Value = v; return p
proc = subprocess.Popen(['soffice', '--headless', '--invisible', '--norestore', '-env:UserInstallation=file:///tmp/lo/profile',
                         '--accept=socket,host=localhost,port=2099;urp;'], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
ctx = None
local = uno.getComponentContext()
resolver = local.ServiceManager.createInstanceWithContext('com.sun.star.bridge.UnoUrlResolver', local)
for i in range(120):
    try:
        ctx = resolver.resolve('uno:socket,host=localhost,port=2099;urp;StarOffice.ComponentContext'); break
    except Exception:
        time.sleep(0.5)
smgr = ctx.ServiceManager
desktop = smgr.createInstanceWithContext('com.sun.star.frame.Desktop', ctx)
doc = desktop.loadComponentFromURL('private:factory/scalc', '_blank', 0, (pv('Hidden', True),))
sheets = doc.Sheets
sheet = sheets.getByIndex(0)
sheets.insertNewByName('Титул', 0)
sheets.getByName('Титул').getCellByPosition(0, 0).String = 'Автошкола «Ромашка»'
sheet.Name = 'Группа 1'
fmts = doc.NumberFormats
loc = uno.createUnoStruct('com.sun.star.lang.Locale')
def fmt(code):
    k = fmts.queryKey(code, loc, False)
    return k if k >= 0 else fmts.addNew(code, loc)
rows = [
    ['Список группы ПДД-24/1'],
    [],
    ['№', 'Номер зачетки', 'ФИО', 'Группа'],
    [1, ('t', '00123'), 'Иванов Иван Иванович', 'ПДД-24/1'],
    [2, ('e', 123456789012), 'Петрова Анна Сергеевна', 'ПДД-24/1'],
    [3, ('t', 'ЗК-7'), 'Сидоров Пётр', 'ПДД-24/1'],
    [4, 2024017, 'Ким Ольга', 'ПДД-24/1'],
]
for r, row in enumerate(rows):
    for c, v in enumerate(row):
        cell = sheet.getCellByPosition(c, r)
        if isinstance(v, tuple):
            kind, val = v
            if kind == 't':
                cell.NumberFormat = fmt('@'); cell.String = val
            else:
                cell.NumberFormat = fmt('0.00000E+00'); cell.Value = float(val)
        elif isinstance(v, (int, float)):
            cell.Value = float(v)
        else:
            cell.String = v
out = sys.argv[1]
doc.storeToURL('file://' + out + '/list.xls', (pv('FilterName', 'MS Excel 97'),))
doc.storeToURL('file://' + out + '/list.xlsx', (pv('FilterName', 'Calc MS Excel 2007 XML'),))
doc.storeToURL('file://' + out + '/list.ods', (pv('FilterName', 'calc8'),))
doc.storeToURL('file://' + out + '/password.xls', (pv('FilterName', 'MS Excel 97'), pv('Password', 'secret')))

doc.close(True)
try: desktop.terminate()
except Exception: pass
proc.wait(timeout=30)
