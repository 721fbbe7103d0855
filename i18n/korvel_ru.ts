<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ru_RU">
<context>
    <name>main</name>
    <message>
        <source>Korvel: configures a LoRa radio over a serial port.</source>
        <translation>Корвел: настройка радиоустройства LoRa через последовательный порт.</translation>
    </message>
    <message>
        <source>Write the debug log to FILE as well, each line behind the time it was written.</source>
        <translation>Писать отладочный журнал также в ФАЙЛ, каждую строку после времени её записи.</translation>
    </message>
    <message>
        <source>FILE</source>
        <extracomment>The value of --log, as --help shows it.</extracomment>
        <translation>ФАЙЛ</translation>
    </message>
    <message>
        <source>cannot write the log to %1: %2</source>
        <translation>не удалось записать журнал в %1: %2</translation>
    </message>
</context>
</TS>
