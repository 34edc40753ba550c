<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<!-- Japanese for the texts of Qt's own widgets that Qt 6.4's Japanese catalogue lacks: the type
     column of the file dialog names folders, drives and links with these. The wording follows
     the rest of that catalogue ("フォルダ"). -->
<TS version="2.1" language="ja_JP">
<context>
    <name>QAbstractFileIconProvider</name>
    <message>
        <source>Drive</source>
        <translation>ドライブ</translation>
    </message>
    <message>
        <source>File</source>
        <translation>ファイル</translation>
    </message>
    <message>
        <source>Folder</source>
        <comment>All other platforms</comment>
        <translation>フォルダ</translation>
    </message>
    <message>
        <source>File Folder</source>
        <comment>Match Windows Explorer</comment>
        <translation>ファイルフォルダ</translation>
    </message>
    <message>
        <source>Shortcut</source>
        <comment>All other platforms</comment>
        <translation>ショートカット</translation>
    </message>
    <message>
        <source>Alias</source>
        <comment>OS X Finder</comment>
        <translation>エイリアス</translation>
    </message>
    <message>
        <source>Unknown</source>
        <translation>不明</translation>
    </message>
</context>
</TS>
