<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ru_RU">
<context>
    <name>ApplyCommand</name>
    <message>
        <source>apply params takes -i FILE or NAME=VALUE, not both</source>
        <translation>apply params принимает -i FILE или NAME=VALUE, но не то и другое вместе</translation>
    </message>
    <message>
        <source>apply params needs -i FILE or NAME=VALUE (e.g. RfFrequency=433)</source>
        <translation>apply params требует -i FILE или NAME=VALUE (например, RfFrequency=433)</translation>
    </message>
    <message>
        <source>reading the values back</source>
        <translation>значения считываются обратно</translation>
    </message>
    <message>
        <source>apply eids needs -i FILE</source>
        <translation>apply eids требует -i FILE</translation>
    </message>
    <message>
        <source>reading the list back</source>
        <translation>список считывается обратно</translation>
    </message>
    <message>
        <source>verify: </source>
        <translation>проверка: </translation>
    </message>
    <message>
        <source>verify: entry %1 reads %2 after %3 was written</source>
        <translation>проверка: в позиции %1 прочитано %2, хотя записано %3</translation>
    </message>
    <message>
        <source>%1; the values sent were put back</source>
        <translation>%1; прежние значения восстановлены</translation>
    </message>
    <message>
        <source>%1; putting the values sent back failed too (%2): the device may hold them uncommitted until it restarts</source>
        <translation>%1; восстановить прежние значения тоже не удалось (%2): устройство может хранить отправленные значения незафиксированными до перезапуска</translation>
    </message>
    <message>
        <source>entry %1</source>
        <extracomment>An entry of the EID list.</extracomment>
        <translation>позиция %1</translation>
    </message>
    <message>
        <source>unchanged: the device holds these values; nothing written</source>
        <translation>без изменений: в устройстве уже записаны эти значения; ничего не записано</translation>
    </message>
    <message numerus="yes">
        <source>%n EID entry would be written and committed; nothing written (--check)</source>
        <translation>
            <numerusform>%n позиция EID была бы записана и зафиксирована; ничего не записано (--check)</numerusform>
            <numerusform>%n позиции EID были бы записаны и зафиксированы; ничего не записано (--check)</numerusform>
            <numerusform>%n позиций EID были бы записаны и зафиксированы; ничего не записано (--check)</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n EID entries would be written and committed; nothing written (--check)</source>
        <translation>
            <numerusform>%n позиция EID была бы записана и зафиксирована; ничего не записано (--check)</numerusform>
            <numerusform>%n позиции EID были бы записаны и зафиксированы; ничего не записано (--check)</numerusform>
            <numerusform>%n позиций EID были бы записаны и зафиксированы; ничего не записано (--check)</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n parameter would be written and committed; nothing written (--check)</source>
        <translation>
            <numerusform>%n параметр был бы записан и зафиксирован; ничего не записано (--check)</numerusform>
            <numerusform>%n параметра были бы записаны и зафиксированы; ничего не записано (--check)</numerusform>
            <numerusform>%n параметров были бы записаны и зафиксированы; ничего не записано (--check)</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n parameters would be written and committed; nothing written (--check)</source>
        <translation>
            <numerusform>%n параметр был бы записан и зафиксирован; ничего не записано (--check)</numerusform>
            <numerusform>%n параметра были бы записаны и зафиксированы; ничего не записано (--check)</numerusform>
            <numerusform>%n параметров были бы записаны и зафиксированы; ничего не записано (--check)</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n EID entry written and committed</source>
        <translation>
            <numerusform>%n позиция EID записана и зафиксирована</numerusform>
            <numerusform>%n позиции EID записаны и зафиксированы</numerusform>
            <numerusform>%n позиций EID записаны и зафиксированы</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n EID entries written and committed</source>
        <translation>
            <numerusform>%n позиция EID записана и зафиксирована</numerusform>
            <numerusform>%n позиции EID записаны и зафиксированы</numerusform>
            <numerusform>%n позиций EID записаны и зафиксированы</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>Context</name>
    <message>
        <source>Try &apos;korvelctl --help&apos; for more information.</source>
        <translation>Подробнее: korvelctl --help.</translation>
    </message>
    <message>
        <source>warning: %1</source>
        <translation>предупреждение: %1</translation>
    </message>
    <message>
        <source>warning: %1: %2</source>
        <translation>предупреждение: %1: %2</translation>
    </message>
    <message>
        <source>the reply to the commit was lost or garbled (%1); </source>
        <translation>ответ на запрос фиксации потерян или искажён (%1); </translation>
    </message>
    <message>
        <source>the commit was sent; </source>
        <translation>запрос фиксации отправлен; </translation>
    </message>
</context>
<context>
    <name>CtlLine</name>
    <message>
        <source>%1: no such port (korvelctl ports lists them)</source>
        <translation>%1: такого порта нет (список портов выводит korvelctl ports)</translation>
    </message>
    <message>
        <source>%1: no permission to open the port; the user must be in the dialout group (sudo usermod -aG dialout $USER, then log in again)</source>
        <translation>%1: нет прав на открытие порта; пользователь должен входить в группу dialout (sudo usermod -aG dialout $USER, затем войти в систему заново)</translation>
    </message>
    <message>
        <source>%1: the port is busy: another program holds it (%2)</source>
        <translation>%1: порт занят: его держит другая программа (%2)</translation>
    </message>
    <message>
        <source>%1: cannot open the port: %2</source>
        <translation>%1: не удалось открыть порт: %2</translation>
    </message>
    <message>
        <source>the port is gone (hung up)</source>
        <translation>порт пропал (связь оборвана)</translation>
    </message>
    <message>
        <source>the port is gone (%1)</source>
        <translation>порт пропал (%1)</translation>
    </message>
</context>
<context>
    <name>DiffCommand</name>
    <message>
        <source>entry %1</source>
        <extracomment>An entry of the EID list.</extracomment>
        <translation>позиция %1</translation>
    </message>
    <message>
        <source>%1: device %2, file %3</source>
        <translation>%1: устройство %2, файл %3</translation>
    </message>
</context>
<context>
    <name>FollowingCommand</name>
    <message>
        <source>address %1, %2 Bd</source>
        <extracomment>Where a device answers; it follows &quot;at&quot; (&quot;verified at address 33, 115200 Bd&quot;).</extracomment>
        <translation>адресу %1, %2 бод</translation>
    </message>
    <message numerus="yes">
        <source>%n parameter written and committed</source>
        <translation>
            <numerusform>%n параметр записан и зафиксирован</numerusform>
            <numerusform>%n параметра записаны и зафиксированы</numerusform>
            <numerusform>%n параметров записаны и зафиксированы</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n parameters written and committed</source>
        <translation>
            <numerusform>%n параметр записан и зафиксирован</numerusform>
            <numerusform>%n параметра записаны и зафиксированы</numerusform>
            <numerusform>%n параметров записаны и зафиксированы</numerusform>
        </translation>
    </message>
    <message>
        <source>%1, verified at %2</source>
        <translation>%1, проверено по %2</translation>
    </message>
    <message>
        <source>%1, verified at %2 (the old speed; %3 Bd once the device takes it over at a restart)</source>
        <translation>%1, проверено по %2 (это прежняя скорость; на %3 бод устройство перейдёт при перезапуске)</translation>
    </message>
    <message>
        <source>%1 %2 Bd would take the radio off the server&apos;s speed, %3 Bd, which korvelctl cannot change over %4; nothing was written: write without --verify, set the server to %2 Bd, then read or diff</source>
        <translation>значение %1 %2 бод увело бы радиоустройство со скорости сервера (%3 бод), которую korvelctl не может изменить через %4; ничего не записано: запишите без --verify, переключите сервер на %2 бод, затем выполните read или diff</translation>
    </message>
    <message>
        <source>unknown</source>
        <extracomment>The server&apos;s speed where the radio&apos;s is not known.</extracomment>
        <translation>неизвестно сколько</translation>
    </message>
    <message>
        <source>%1: cannot set the speed %2</source>
        <translation>%1: не удалось установить скорость %2 бод</translation>
    </message>
    <message>
        <source>verify: %1 (register %2) reads %3 after %4 was written</source>
        <translation>проверка: %1 (регистр %2): прочитано %3, хотя записано %4</translation>
    </message>
    <message>
        <source>verify at %1: </source>
        <translation>проверка по %1: </translation>
    </message>
    <message>
        <source>verify: </source>
        <extracomment>The places a verify found no device at: &quot; at address 33, 115200 Bd, nor at address 33, 9600 Bd&quot;.</extracomment>
        <translation>проверка: </translation>
    </message>
    <message>
        <source> at %1</source>
        <translation> по %1</translation>
    </message>
    <message>
        <source>, nor at </source>
        <translation>, ни по </translation>
    </message>
</context>
<context>
    <name>Korvelctl</name>
    <message>
        <source>write failed</source>
        <translation>запись не удалась</translation>
    </message>
    <message>
        <source>cannot write standard output: %1</source>
        <translation>не удалось записать в стандартный вывод: %1</translation>
    </message>
</context>
<context>
    <name>LineFactory</name>
    <message>
        <source>%1: this korvelctl was built without lines to serial device servers</source>
        <translation>%1: этот korvelctl собран без поддержки серверов последовательных портов</translation>
    </message>
</context>
<context>
    <name>LineLock</name>
    <message>
        <source>after %1 s</source>
        <translation>через %1 с</translation>
    </message>
    <message>
        <source>at once</source>
        <translation>сразу</translation>
    </message>
    <message>
        <source>it keeps appearing and going</source>
        <extracomment>Said of the lock file the runs queue on.</extracomment>
        <translation>он то появляется, то исчезает</translation>
    </message>
    <message>
        <source>another program</source>
        <translation>другая программа</translation>
    </message>
    <message>
        <source>warning: %1: cannot queue for the line (%2: %3); going on without</source>
        <translation>предупреждение: %1: не удалось встать в очередь на линию (%2: %3); работа продолжается без очереди</translation>
    </message>
    <message>
        <source>%1: the line is busy: %2 holds it; gave up %3 (--line-wait)</source>
        <translation>%1: линия занята: её держит %2; ожидание прекращено %3 (--line-wait)</translation>
    </message>
    <message>
        <source>warning: cannot queue for the line (%1); going on without</source>
        <translation>предупреждение: не удалось встать в очередь на линию (%1); работа продолжается без очереди</translation>
    </message>
    <message>
        <source>%1:%2: the line is busy: another korvelctl holds it; gave up %3 (--line-wait)</source>
        <translation>%1:%2: линия занята: её держит другой korvelctl; ожидание прекращено %3 (--line-wait)</translation>
    </message>
</context>
<context>
    <name>LineUrl</name>
    <message>
        <source>give a serial port (ttyUSB0, COM3, /dev/ttyUSB0), tcp://HOST:PORT[?baud=N], rfc2217://HOST:PORT or modbus-tcp://HOST[:PORT] (an IPv6 address in brackets: tcp://[::1]:4001)</source>
        <translation>укажите последовательный порт (ttyUSB0, COM3, /dev/ttyUSB0), tcp://HOST:PORT[?baud=N], rfc2217://HOST:PORT или modbus-tcp://HOST[:PORT] (адрес IPv6 — в квадратных скобках: tcp://[::1]:4001)</translation>
    </message>
    <message>
        <source>no host</source>
        <translation>не указан хост</translation>
    </message>
    <message>
        <source>&apos;%1&apos; is no IPv6 address</source>
        <translation>&apos;%1&apos; — не адрес IPv6</translation>
    </message>
    <message>
        <source>&apos;%1&apos; is no host name or address</source>
        <translation>&apos;%1&apos; — не имя хоста и не адрес</translation>
    </message>
    <message>
        <source>tcp:// takes baud=N once</source>
        <translation>tcp:// принимает baud=N только один раз</translation>
    </message>
    <message>
        <source>%1:// takes none (--baud sets the speed where a line can change it)</source>
        <translation>%1:// не принимает параметров (скорость задаёт --baud, если линия может её менять)</translation>
    </message>
    <message>
        <source>&apos;%1&apos; is no query of this line; %2</source>
        <translation>&apos;%1&apos; — не параметр этой линии; %2</translation>
    </message>
    <message>
        <source>&apos;baud=%1&apos; is not baud=N with N %2 or %3</source>
        <translation>&apos;baud=%1&apos; — не baud=N, где N — %2 или %3</translation>
    </message>
    <message>
        <source>unknown scheme &apos;%1&apos;</source>
        <translation>неизвестная схема &apos;%1&apos;</translation>
    </message>
    <message>
        <source>the port must be a number from 1 to 65535</source>
        <translation>номер порта должен быть числом от 1 до 65535</translation>
    </message>
    <message>
        <source>not a URL (%1)</source>
        <translation>это не URL (%1)</translation>
    </message>
    <message>
        <source>a line takes no user, path or fragment</source>
        <translation>у линии не бывает пользователя, пути или фрагмента</translation>
    </message>
    <message>
        <source>no port number</source>
        <translation>не указан номер порта</translation>
    </message>
    <message>
        <source>the port must be a number from 1 to 65535, not %1</source>
        <translation>номер порта должен быть числом от 1 до 65535, а не %1</translation>
    </message>
</context>
<context>
    <name>Mbap</name>
    <message>
        <source>a Modbus TCP header giving a length of %1, not %2 to %3</source>
        <translation>заголовок Modbus TCP указывает длину %1, а не от %2 до %3</translation>
    </message>
    <message>
        <source>a Modbus TCP reply with protocol identifier %1, not 0</source>
        <translation>ответ Modbus TCP с идентификатором протокола %1, а не 0</translation>
    </message>
    <message>
        <source>a Modbus TCP reply from unit %1 instead of %2</source>
        <translation>ответ Modbus TCP от устройства (unit) %1 вместо %2</translation>
    </message>
</context>
<context>
    <name>ModbusTcpLine</name>
    <message>
        <source>the gateway&apos;s frame holds %1 of the %2 bytes its header gives</source>
        <translation>кадр шлюза неполон (байт: %1 из %2, указанных в его заголовке)</translation>
    </message>
</context>
<context>
    <name>PortStatus</name>
    <message>
        <source>free</source>
        <extracomment>A serial port&apos;s state in the list of korvelctl ports.</extracomment>
        <translation>свободен</translation>
    </message>
    <message>
        <source>busy</source>
        <extracomment>A serial port&apos;s state in the list of korvelctl ports.</extracomment>
        <translation>занят</translation>
    </message>
    <message>
        <source>no access</source>
        <extracomment>A serial port&apos;s state in the list of korvelctl ports.</extracomment>
        <translation>нет доступа</translation>
    </message>
</context>
<context>
    <name>PortsCommand</name>
    <message>
        <source>PORT</source>
        <extracomment>A heading of the table korvelctl ports prints.</extracomment>
        <translation>ПОРТ</translation>
    </message>
    <message>
        <source>STATE</source>
        <extracomment>A heading of the table korvelctl ports prints.</extracomment>
        <translation>СОСТОЯНИЕ</translation>
    </message>
    <message>
        <source>DESCRIPTION</source>
        <extracomment>A heading of the table korvelctl ports prints.</extracomment>
        <translation>ОПИСАНИЕ</translation>
    </message>
    <message>
        <source>MANUFACTURER</source>
        <extracomment>A heading of the table korvelctl ports prints.</extracomment>
        <translation>ПРОИЗВОДИТЕЛЬ</translation>
    </message>
    <message>
        <source>SERIAL</source>
        <extracomment>A heading of the table korvelctl ports prints.</extracomment>
        <translation>СЕРИЙНЫЙ НОМЕР</translation>
    </message>
    <message>
        <source>no serial ports found</source>
        <translation>последовательные порты не найдены</translation>
    </message>
</context>
<context>
    <name>ProbeCommand</name>
    <message>
        <source>%1: cannot set the speed %2</source>
        <translation>%1: не удалось установить скорость %2 бод</translation>
    </message>
    <message>
        <source>%1 Bd, RS-485 address %2</source>
        <translation>%1 бод, адрес RS-485 %2</translation>
    </message>
    <message>
        <source>no device answered a read of %1 (register %2) at %3 Bd</source>
        <translation>ни одно устройство не ответило на чтение %1 (регистр %2) на скоростях %3 бод</translation>
    </message>
</context>
<context>
    <name>Rfc2217</name>
    <message>
        <source>%1 Bd</source>
        <translation>%1 бод</translation>
    </message>
    <message>
        <source>%1 data bits</source>
        <translation>биты данных: %1</translation>
    </message>
    <message>
        <source>as it was</source>
        <translation>без изменений</translation>
    </message>
    <message>
        <source>none</source>
        <translation>нет</translation>
    </message>
    <message>
        <source>odd</source>
        <translation>нечётная</translation>
    </message>
    <message>
        <source>even</source>
        <translation>чётная</translation>
    </message>
    <message>
        <source>mark</source>
        <translation>всегда 1</translation>
    </message>
    <message>
        <source>space</source>
        <translation>всегда 0</translation>
    </message>
    <message>
        <source>unknown</source>
        <translation>неизвестная</translation>
    </message>
    <message>
        <source>parity %1 (%2)</source>
        <translation>чётность %1 (%2)</translation>
    </message>
    <message>
        <source>stop size %1</source>
        <translation>стоп-биты: код %1</translation>
    </message>
    <message>
        <source>flow control %1</source>
        <translation>управление потоком: код %1</translation>
    </message>
    <message>
        <source>command %1: %2</source>
        <translation>команда %1: %2</translation>
    </message>
</context>
<context>
    <name>Rfc2217Line</name>
    <message>
        <source>the server refuses COM port control (RFC 2217); for a raw server use tcp://</source>
        <translation>сервер не даёт управлять COM-портом (RFC 2217); для простого (raw) сервера используйте tcp://</translation>
    </message>
    <message>
        <source>the server refuses 8-bit data (Telnet BINARY), which would change the frames&apos; CR and 0xFF bytes; set it to binary or use tcp://</source>
        <translation>сервер отказывается передавать 8-битные данные (Telnet BINARY), без них байты CR и 0xFF в кадрах искажаются; включите на сервере режим binary или используйте tcp://</translation>
    </message>
    <message>
        <source>the server did not agree to COM port control within %1 s</source>
        <translation>сервер не согласился на управление COM-портом за %1 с</translation>
    </message>
    <message>
        <source>the server withdrew COM port control (RFC 2217)</source>
        <translation>сервер отозвал управление COM-портом (RFC 2217)</translation>
    </message>
    <message>
        <source>the server did not take the line settings (RFC 2217) within %1 s</source>
        <translation>сервер не принял настройки линии (RFC 2217) за %1 с</translation>
    </message>
    <message>
        <source>the server set %1, not %2</source>
        <translation>сервер установил %1 вместо %2</translation>
    </message>
    <message>
        <source>%1: the server withdrew COM port control (RFC 2217)</source>
        <translation>%1: сервер отозвал управление COM-портом (RFC 2217)</translation>
    </message>
</context>
<context>
    <name>ScanCommand</name>
    <message>
        <source>address %1: fault on the bus: %2</source>
        <translation>адрес %1: неисправность шины: %2</translation>
    </message>
    <message>
        <source>replied after the wait of %1 ms</source>
        <translation>ответ пришёл после окончания ожидания (%1 мс)</translation>
    </message>
    <message>
        <source>no device answered a read of %1 (register %2) at addresses %3 to %4</source>
        <translation>ни одно устройство не ответило на чтение %1 (регистр %2) по адресам от %3 до %4</translation>
    </message>
</context>
<context>
    <name>StreamLine</name>
    <message>
        <source>the line did not fall silent within %1 s: something on it sends without pause</source>
        <translation>линия не затихла за %1 с: кто-то на ней передаёт без пауз</translation>
    </message>
    <message>
        <source>the port took only %1 of %2 bytes</source>
        <translation>порт принял не весь запрос (байт: %1 из %2)</translation>
    </message>
</context>
<context>
    <name>TcpLine</name>
    <message>
        <source>%1 closed the connection</source>
        <translation>%1: сервер закрыл соединение</translation>
    </message>
    <message>
        <source>%1: cannot connect: %2</source>
        <translation>%1: не удалось подключиться: %2</translation>
    </message>
    <message>
        <source>the connection took only %1 of %2 bytes</source>
        <translation>соединение приняло не весь запрос (байт: %1 из %2)</translation>
    </message>
</context>
<context>
    <name>WriteEidsCommand</name>
    <message>
        <source>; the device may have taken the list (--verify reads it back)</source>
        <translation>; устройство могло принять список (--verify считает его обратно)</translation>
    </message>
    <message>
        <source>reading the list back</source>
        <translation>список считывается обратно</translation>
    </message>
    <message>
        <source>verify: </source>
        <translation>проверка: </translation>
    </message>
    <message numerus="yes">
        <source>verify: %n of %1 EIDs differ; entry %2 reads %3, the file says %4</source>
        <translation>
            <numerusform>проверка: различается %n EID из %1; позиция %2: в устройстве %3, в файле %4</numerusform>
            <numerusform>проверка: различаются %n EID из %1; позиция %2: в устройстве %3, в файле %4</numerusform>
            <numerusform>проверка: различаются %n EID из %1; позиция %2: в устройстве %3, в файле %4</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n EIDs written and committed, verified</source>
        <translation>
            <numerusform>%n EID записан и зафиксирован, проверено</numerusform>
            <numerusform>%n EID записаны и зафиксированы, проверено</numerusform>
            <numerusform>%n EID записаны и зафиксированы, проверено</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n EIDs written and committed</source>
        <translation>
            <numerusform>%n EID записан и зафиксирован</numerusform>
            <numerusform>%n EID записаны и зафиксированы</numerusform>
            <numerusform>%n EID записаны и зафиксированы</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>WriteParamsCommand</name>
    <message>
        <source>; the device may have taken the change (--verify reads it back)</source>
        <translation>; устройство могло принять изменение (--verify считает его обратно)</translation>
    </message>
    <message>
        <source>reading the values back</source>
        <translation>значения считываются обратно</translation>
    </message>
    <message>
        <source>%1; the radio answers at %2 once it takes the change over: set %3 to %4 Bd before the radio can be reached again</source>
        <translation>%1; радиоустройство будет отвечать по %2, когда примет изменение: чтобы снова обратиться к нему, переключите %3 на %4 бод</translation>
    </message>
    <message>
        <source>%1, verified</source>
        <translation>%1, проверено</translation>
    </message>
    <message>
        <source>%1; the device answers at %2 once it takes the change over</source>
        <translation>%1; устройство будет отвечать по %2, когда примет изменение</translation>
    </message>
</context>
</TS>
